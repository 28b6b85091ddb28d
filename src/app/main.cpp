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
#include "shell/program_trace.h"
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

// "--trace FILE" taken out of the command line (the program's own switches are single
// letters) and the trace started. False, with the reason shown, when it cannot be written:
// the user asked for the record of this run.
bool startTrace(std::vector<std::string>& args, vx::shell::TraceRun& trace) {
    const std::vector<std::string> whole = args;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    const vx::shell::TraceSwitch sw = vx::shell::takeTraceSwitch(rest);
    rest.insert(rest.begin(), args[0]);
    args = rest;
    std::string error = sw.error;
    if (error.empty() && sw.given && !trace.start(sw.file, whole)) error = trace.error();
    if (error.empty()) return true;
    vx::ui::message(nullptr, error, "Setup Error", vx::ui::Icon::Error);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes its own options (-platform, -style) out of argv
    vx::platform::keepPointDecimals();
    vx::ui::qt::installQtBackend();
    vx::plot::qt::installQtPlotting();          // the real-time graphs' window and picture files
    vx::app::scheduleScreenshot();              // only when VENDRIX_SCREENSHOT asks for one
    vx::platform::installSignalCleanup(false);  // no half-written file after Ctrl+C or SIGTERM

    std::vector<std::string> args(argv, argv + argc);
    vx::shell::TraceRun trace;
    if (!startTrace(args, trace)) return 1;
#ifdef VX_HAVE_SIMULATOR
    std::unique_ptr<vx::simhost::SimulatedDevice> sim;
    if (!applySimulateSwitch(args, sim)) return 0;
#endif

    std::vector<char*> ptrs;
    ptrs.reserve(args.size());
    for (std::string& a : args)
        ptrs.push_back(a.data());
    std::string cmdLine = joinArguments(int(ptrs.size()), ptrs.data());
    int result = vx::shell::runStartup(cmdLine.c_str(), vx::shell::desktopWindows());
    if (!trace.finish()) vx::ui::message(nullptr, trace.error(), "Error", vx::ui::Icon::Error);
    vx::ui::setBackend(nullptr);
    return result;
}
