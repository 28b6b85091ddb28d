// vendrix: the desktop program.

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/screenshot.h"
#include "platform/signals.h"
#include "plot/qt/install.h"
#include "shell/command_line.h"
#include "shell/startup.h"
#include "shell/windows/desktop_windows.h"
#ifdef VX_HAVE_SIMULATOR
#include "simhost/simulated_device.h"
#endif
#include "platform/number_format.h"
#include "ui/backend.h"
#include "ui/qt/qt_backend.h"

namespace {

#ifdef VX_HAVE_SIMULATOR
// "-s<profile>" starts the built-in simulated device; the switch is replaced by "-p" with
// the device's port so that the start-up opens it as if the user had named it. False
// (with the reason shown) when the device cannot be started.
bool applySimulateSwitch(std::vector<std::string>& args, std::unique_ptr<vx::simhost::SimulatedDevice>& sim) {
    for (std::string& a : args) {
        if (a.size() < 2 || a[0] != '-' || a[1] != 's') continue;
        std::string err;
        sim = vx::simhost::SimulatedDevice::start(a.substr(2), err);
        if (!sim) {
            vx::ui::message(nullptr, "Simulated device: " + err, "Setup Error", vx::ui::Icon::Error);
            return false;
        }
        a = "-p" + sim->portPath();
        return true;  // one device per run
    }
    return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes its own options (-platform, -style) out of argv
    vx::platform::keepPointDecimals();
    vx::ui::qt::installQtBackend();
    vx::plot::qt::installQtPlotting();          // the real-time graphs' window and picture files
    vx::app::scheduleScreenshot();              // only when VENDRIX_SCREENSHOT asks for one
    vx::platform::installSignalCleanup(false);  // no half-written file after Ctrl+C or SIGTERM

    std::vector<std::string> args(argv, argv + argc);
#ifdef VX_HAVE_SIMULATOR
    std::unique_ptr<vx::simhost::SimulatedDevice> sim;
    if (!applySimulateSwitch(args, sim)) return 0;
#endif

    std::vector<char*> ptrs;
    for (std::string& a : args)
        ptrs.push_back(a.data());
    std::string cmdLine = joinArguments(int(ptrs.size()), ptrs.data());
    int result = vx::shell::runStartup(cmdLine.c_str(), vx::shell::desktopWindows());
    vx::ui::setBackend(nullptr);
    return result;
}
