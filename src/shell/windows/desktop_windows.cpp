#include "shell/windows/desktop_windows.h"

#include "loader/windows/loader_dialog.h"
#include "quick/windows/quick_dialog.h"
#include "shell/windows/main_window.h"
#include "shell/windows/port_selection.h"
#include "shell/windows/remote_dialog.h"

namespace vx::shell {

StartupWindows desktopWindows() {
    StartupWindows w;
    w.portSelection = DlgSelCOM;
    w.mainWindow = runMainWindow;
    w.quickMode = [] { return vx::quick::runQuickMode(nullptr, true); };  // a file was named
    w.remote = DlgRemote;
    w.loader = [] { return run_loader(nullptr); };  // a board found in its boot loader
    return w;
}

}  // namespace vx::shell
