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

namespace vx::cli {

// The options every device command takes.
std::vector<OptionSpec> connectionOptions();

// What is wrong with the connection options ("" when nothing): a usage error.
std::string checkConnectionOptions(const Options& opts);

// The terminal backend of the command, with the answers its options give.
void useTerminal(const Options& opts, bool progress = false);

class Connection {
  public:
    Connection();
    ~Connection();  // closes the port and stops the simulated device

    // Applies -b/-k/-m/-t/-l, finds the device and identifies it. False with message()
    // set (the program's own message text) when nothing answered.
    bool open(const Options& opts);
    const std::string& message() const { return message_; }

  private:
    std::unique_ptr<vx::simhost::SimulatedDevice> sim_;
    std::string message_;
};

}  // namespace vx::cli
