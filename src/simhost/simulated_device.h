#pragma once
// The built-in simulated device behind the programs' simulate options: a device model
// served on a pseudo-terminal inside the process, used as if it were a serial port.

#include <memory>
#include <string>

namespace vx::sim {
class PtyServer;
}

namespace vx::simhost {

class SimulatedDevice {
  public:
    ~SimulatedDevice();
    const std::string& portPath() const;
    vx::sim::PtyServer& server() { return *server_; }

    // settings: "PROFILE[,key=value...]" ("" is a QM41 logger). Null with err on failure.
    // checkSettings only reads them; an unknown profile's error lists the profiles.
    static bool checkSettings(const std::string& settings, std::string& err);
    static std::unique_ptr<SimulatedDevice> start(const std::string& settings, std::string& err);

  private:
    std::unique_ptr<vx::sim::PtyServer> server_;
};

}  // namespace vx::simhost
