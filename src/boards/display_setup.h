#pragma once
// What follows a successful write of the board image: every display board behind the
// board is told the quantity it shows, and a shown quantity sets its number of digits and
// decimal point; a VT75h panel also takes the "Energy = Energy/100" switch and the plant's
// nominal power.

#include "ui/backend.h"

namespace vx::boards {

// Display i = 0..7 gets register 6 = its quantity of EE (the result not examined); for a
// quantity other than 0, Ndigit and Dpoint of VT71h[i] come from Display_cnt and are
// written to registers 1 and 2, each failure shown ("Error in writing the I2C Slave board
// number i", "COM Error"). Behind a VT75h, register 7 of code 0 gets its bit 4 from
// `energy100` (when it could be read) and codes 3 and 2 the high and low byte of
// min(Pnom / 10, 65535).
void setUpDisplayBoards(vx::ui::WindowHandle owner, bool energy100);

}  // namespace vx::boards
