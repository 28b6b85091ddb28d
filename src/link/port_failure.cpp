#include "link/port_failure.h"

namespace vx::link {

PortFailure openFailure(PortFailure::Kind kind, const std::string& port, const std::string& detail) {
    using Kind = PortFailure::Kind;
    switch (kind) {
        case Kind::None:
            return {};
        case Kind::NotFound:
            return {kind, port.empty() ? std::string("no port name given") : "no such port: " + port};
        case Kind::Permission:
            // Adding a user to root's group is no advice to give.
            if (detail.empty() || detail == "root") return {kind, "permission denied on " + port};
            return {kind, "permission denied on " + port + ": it belongs to group " + detail +
                              "; add your user to that group (sudo usermod -aG " + detail +
                              " $USER) and log in again"};
        case Kind::Busy:
            return {kind, port + " is busy: another program holds it"};
        case Kind::NotSerial:
            return {kind, port + " is not a serial port"};
        case Kind::RateRefused:
        case Kind::Other:
            break;
    }
    return {kind, detail.empty() ? "cannot open " + port : "cannot open " + port + ": " + detail};
}

PortFailure rateRefused(const std::string& port, uint32_t wanted, uint32_t got) {
    std::string text = "the driver of " + port + " does not take " + std::to_string(wanted) + " baud";
    if (got != 0) text += " (it set " + std::to_string(got) + ")";
    return {PortFailure::Kind::RateRefused, text};
}

bool rateTaken(uint32_t wanted, uint32_t got) {
    uint64_t diff = wanted > got ? wanted - got : got - wanted;
    return diff * 50 <= wanted;
}

}  // namespace vx::link
