#include "shell/windows/desktop_windows.h"

#include "shell/windows/main_window.h"
#include "shell/windows/placeholders.h"
#include "shell/windows/port_selection.h"

namespace vx::shell {

StartupWindows desktopWindows() {
    StartupWindows w;
    w.portSelection = DlgSelCOM;
    w.mainWindow = runMainWindow;
    w.quickMode = [] { return openQuickMode(nullptr); };
    // Not built yet: they show nothing and end with 0.
    w.remote = [] { return 0; };
    w.loader = [] { return 0; };
    return w;
}

}  // namespace vx::shell
