#pragma once
// The desktop program's windows plugged into the start-up.

#include "shell/startup.h"

namespace vx::shell {

StartupWindows desktopWindows();

}  // namespace vx::shell
