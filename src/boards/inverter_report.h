#pragma once
// The inverter details: serial number, model and input powers of every inverter the
// board is set up for, written as a report into a text box.

#include <cstdint>

#include "ui/backend.h"

namespace vx::boards {
// Where the report goes: the owner of the questions, the text box and the label that
// shows the total input power.
struct InverterReportView {
    vx::ui::WindowHandle owner = nullptr;
    vx::ui::WindowHandle text = nullptr;
    vx::ui::WindowHandle total = nullptr;
};
// The addresses the ComReg2 word names: its low byte counts the inverters, its high byte
// is the first address. The range never runs past address 255.
struct InverterRange {
    unsigned first, count;
};
InverterRange inverterRange(uint16_t comReg2);
}  // namespace vx::boards

// Clears the box and the label, then asks each inverter of comReg2 (the board image's
// ComReg2 word) for its serial number, model and the powers of its two inputs, and ends
// with the total on the label. 1 when the report is complete; 0 when the user aborted it
// (the label then stays empty).
int refresh_dati_inv(const vx::boards::InverterReportView& view, uint16_t comReg2);
