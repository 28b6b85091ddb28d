#include "shell/startup.h"

#include <cstdio>
#include <filesystem>

#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "postproc/made_files.h"
#include "session/session_state.h"
#include "shell/command_line.h"
#include "shell/defaults.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "ui/backend.h"

namespace vx::shell {
namespace {

int run(const std::function<int()>& window) {
    return window ? window() : 0;
}

void rememberWorkingDirectory() {
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", ec ? "." : cwd.c_str());
}

// The window that fits the device found.
int runDeviceWindow(const StartupWindows& w) {
    if (Flag.modem == 1) {
        int r = run(w.remote);
        // A window closed on a standing call: "ATZ" would be data for the far end and the
        // telephone line would stay up, so the call is hung up first.
        if (Stato_OPM == 2) vx::link::hangUp(hCom);
        sendCOMMAND(hCom, "ATZ\r", 13);
        // The number is saved only by a window that loaded it: an empty one must not
        // replace the user's.
        if (r == kWindowNotRun) return 0;
        save_ini((std::string(Exe_dir) + "/Farlinks.ini").c_str());
        return r;
    }
    if (Flag.QM43BOOT == 1) return run(w.loader);
    return run(w.mainWindow);
}

// The port closed. A data record file this run made is deleted only when its table was
// saved in the post-processing; one that stays is named, so that the user finds it.
void cleanUp() {
    closePort(hCom);
    hCom = nullptr;
    for (const std::string& kept : vx::postproc::settleMadeFiles())
        vx::ui::message(nullptr, vx::postproc::keptFileText(kept), "Info", vx::ui::Icon::Information);
}

}  // namespace

int runStartup(const char* cmdLine, const StartupWindows& w) {
    // The monitor's channel selection is emptied with the defaults.
    initVAR();
    readCMD(cmdLine);
    rememberWorkingDirectory();
    if (w.beforeWindows) w.beforeWindows();
    buildProgramNames();

    if (Flag.COM_ext == 1) {
        setLongTimeout();
        if (test_hCom(hCom) != 1) {
            vx::ui::message(nullptr, notFoundText(), "COM Error", vx::ui::Icon::Error);
            closePort(hCom);
            hCom = nullptr;
            return 0;
        }
    } else if (Data_file[0]) {
        run(w.quickMode);
        cleanUp();
        return 0;
    } else if (run(w.portSelection) != 2) {
        closePort(hCom);
        hCom = nullptr;
        return 0;
    }
    int result = runDeviceWindow(w);
    cleanUp();
    return result;
}

}  // namespace vx::shell
