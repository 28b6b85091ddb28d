#pragma once
// The logger's operating modes around the windows that need them: the sample timer dialog
// runs with the logger out of its idle state, the monitor with the logger in monitor mode.

#include <functional>

#include "ui/backend.h"

namespace vx::shell {

// Reads the operating state, leaves the idle state, warns which state the logger must be
// in, runs `dialog`, and re-enters the idle state when the logger was idle. 0 when the
// operating state could not be read or the logger refused to leave the idle state.
int runSampleTimer(vx::ui::WindowHandle owner, const std::function<void()>& dialog);

// Switches the logger's monitor mode on ("ATCM07\r") and runs the monitor, which switches
// it off when it ends.
void runMonitor(vx::ui::WindowHandle owner, const std::function<void()>& monitor);

}  // namespace vx::shell
