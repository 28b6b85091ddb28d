#pragma once
// Single-parameter access to the energy-monitoring board's parameter image.

#include <cstdint>

#include "ui/backend.h"

// Reads nbyte (1..4) consecutive image bytes from offset ofs into the integer at value,
// least significant byte first ("ATRD%04X\r", then one "ATEE\r" per byte, each answer
// exactly two hex digits), trying the exchange up to three times. 1 on success; 0 when
// it failed or the bytes lie outside the image (value then 0).
int get_VT71_par(int nbyte, int ofs, uint32_t* value);

namespace vx::boards {
// What "Details" reads before the inverter details open: the ComReg2 word of the board
// image (bytes 19 and 20: the number of inverters and the first address), low byte first.
// 1 on success; 0 shows "No response from datalogger !".
int readInverterSetup(vx::ui::WindowHandle owner, uint8_t comReg2[2]);
}  // namespace vx::boards
