#pragma once
// Reaching the device from the command line: a named port, the built-in simulated
// device, or the automatic scan; the line options applied as the desktop program does.

#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"

namespace vx::simhost {
class SimulatedDevice;
}

namespace vx::ui {
class TerminalBackend;
}

namespace vx::cli {

// The options every device command takes.
std::vector<OptionSpec> connectionOptions();

// What is wrong with the connection options ("" when nothing): a usage error.
std::string checkConnectionOptions(const Options& opts);

// The terminal backend of the command, with the answers its options give.
void useTerminal(const Options& opts, bool progress = false);
// The command-line tool's backend, the one useTerminal installs.
vx::ui::TerminalBackend& terminal();

class Connection {
  public:
    Connection();
    ~Connection();  // closes the port and stops the simulated device

    // Applies -b/-k/-m/-t/-l, finds the device and identifies it; with a number after
    // --modem, dials it through the modem and identifies the device behind it. False with
    // message() set (the program's own message text) when nothing answered.
    bool open(const Options& opts);
    // Only applies the line options and starts the simulated device: `port` is then the
    // port to use, "" for the scan. False with message() set when the device cannot start.
    bool prepare(const Options& opts, std::string& port);
    const std::string& message() const { return message_; }

  private:
    bool dial(const std::string& number);

    std::unique_ptr<vx::simhost::SimulatedDevice> sim_;
    std::string message_;
};

// The longest the modem is given for the result of a dial.
constexpr uint32_t kDialWaitMs = 90000;

// True when a call this process made may still hold the telephone line (the modem did not
// confirm the hang-up); the command then ends with a failure.
bool modemLeftOnLine();

}  // namespace vx::cli
