#pragma once
// The sample timer dialog (dialog 700, "Setting SaTmr value") without its widgets. The
// main window's "Sample Timer" runs it through vx::shell::runSampleTimer.

#include <cstdint>
#include <string>

#include "ui/backend.h"

namespace vx::monitor {

constexpr uint16_t kSaTmrInitial = 180;  // the value box's first value

// The typed value clamped to 0..65535 (a text that is no number is 0), as Enter and
// Apply write it back into the box.
uint16_t clampSaTmr(const std::string& typed);

// "Apply" with the clamped value (messages owned by `owner`): above 0, "ATST%04X\r" is
// sent, the information box follows (its text by StatusReg bit 4) and the dialog closes;
// 0 sends "ATST0000\r" and the dialog stays open. True: the dialog closes. The dialog does
// not look at the reply; *answered (when given) tells a caller that reports it whether the
// logger answered other than "ERR".
bool applySaTmr(vx::ui::WindowHandle owner, uint16_t seconds, bool* answered = nullptr);

}  // namespace vx::monitor
