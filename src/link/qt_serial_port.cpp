// Serial ports through QSerialPort: the backend of Windows, selectable everywhere.

#include "link/serial_port.h"

namespace vx::link {

std::unique_ptr<SerialPort> openQtSerialPort(const std::string&, PortFailure* why) {
    if (why) *why = {PortFailure::Kind::Other, "the QSerialPort backend is not built yet"};
    return nullptr;
}

}  // namespace vx::link
