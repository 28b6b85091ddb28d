#pragma once
// The program's entry and exit: defaults, command line, finding the device, the window
// that fits it, and the clean-up. The windows are injected so that each front end (and
// each test) plugs in its own.

#include <functional>

namespace vx::shell {

// What a window road returns when its window could not run (it is still to come): the
// program ends with 0 and, for the modem, keeps its settings file as it was.
constexpr int kWindowNotRun = -1;

struct StartupWindows {
    std::function<int()> portSelection;   // ends with 2 when a device was identified
    std::function<int()> quickMode;       // offline image viewer (a data file was named)
    std::function<int()> remote;          // the modem's remote-connection window
    std::function<int()> loader;          // firmware loader for a board in its boot loader
    std::function<int()> mainWindow;      // the main window (ends with 1)
    std::function<void()> beforeWindows;  // the platform's one-time set-up (common controls)
};

// Runs the whole start-up with the command line as one string; returns the
// program's result.
int runStartup(const char* cmdLine, const StartupWindows& windows);

}  // namespace vx::shell
