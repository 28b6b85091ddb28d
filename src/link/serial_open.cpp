// Choosing the serial backend, and what every port shares.

#include <cstdlib>
#include <cstring>

#include "link/clock.h"
#include "link/serial_port.h"

namespace vx::link {

const uint32_t kBaudRates[12] = {1200,  2400,  4800,  9600,   14400,  19200,
                                 38400, 56000, 57600, 115200, 128000, 256000};

uint64_t SerialPort::nowMs() const {
    return vx::link::nowMs();
}

void SerialPort::sleepMs(uint32_t ms) {
    vx::link::sleepMs(ms);
}

std::unique_ptr<SerialPort> openSerialPort(const std::string& name, PortFailure* why) {
    if (why) *why = {};
#ifdef _WIN32
    return openQtSerialPort(name, why);
#else
    const char* choice = std::getenv("VENDRIX_SERIAL");
    if (choice && std::strcmp(choice, "qt") == 0) return openQtSerialPort(name, why);
    return openPosixSerialPort(name, why);
#endif
}

}  // namespace vx::link
