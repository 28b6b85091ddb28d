// Choosing the serial backend, and what every port shares.

#include <cstdlib>
#include <cstring>

#include "link/clock.h"
#include "link/serial_port.h"
#include "link/trace.h"

namespace vx::link {

const uint32_t kBaudRates[12] = {1200,  2400,  4800,  9600,   14400,  19200,
                                 38400, 56000, 57600, 115200, 128000, 256000};

uint64_t SerialPort::nowMs() const {
    return vx::link::nowMs();
}

void SerialPort::sleepMs(uint32_t ms) {
    vx::link::sleepMs(ms);
}

namespace {

std::unique_ptr<SerialPort> openBackendPort(const std::string& name, PortFailure* why) {
#ifdef _WIN32
    return openQtSerialPort(name, why);
#else
    const char* choice = std::getenv("VENDRIX_SERIAL");
    if (choice && std::strcmp(choice, "qt") == 0) return openQtSerialPort(name, why);
    return openPosixSerialPort(name, why);
#endif
}

}  // namespace

std::unique_ptr<SerialPort> openSerialPort(const std::string& name, PortFailure* why) {
    if (why) *why = {};
    TraceLog* trace = activeTrace();
    if (!trace) return openBackendPort(name, why);
    PortFailure failure;
    std::unique_ptr<SerialPort> port = openBackendPort(name, &failure);
    trace->note("open " + name + (port ? "" : " failed: " + failure.text));
    if (why) *why = failure;
    return tracedPort(std::move(port));
}

}  // namespace vx::link
