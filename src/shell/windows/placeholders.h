#pragma once
// Windows that later work brings. Until then the controls and roads that lead to them say
// so, and nothing is sent to the device on their behalf.

class QWidget;

namespace vx::shell {

// "The <what> is not available yet in this version." (caption "Info").
void notAvailable(QWidget* owner, const char* what);

}  // namespace vx::shell
