#pragma once
// The serial ports the platform knows, with the description an adapter gives (a USB
// adapter's product name, for instance), in the order a user expects: names compared with
// their numbers as numbers, so ttyS2 comes before ttyS10 and COM3 before COM12.

#include <string>
#include <vector>

namespace vx::link {

struct PortInfo {
    std::string name;         // as openSerialPort takes it ("/dev/ttyUSB0", "COM3")
    std::string description;  // "" when the platform gives none
};

std::vector<PortInfo> platformPorts();

// Name order with embedded numbers compared by value.
bool portNameLess(const std::string& a, const std::string& b);
void sortPorts(std::vector<PortInfo>& ports);

}  // namespace vx::link
