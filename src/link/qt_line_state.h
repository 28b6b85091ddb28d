#pragma once
// The line settings the QSerialPort backend saves and gives back, as the bytes of a
// PortState. Tagged, so that a state saved by the other backend is not taken for one.

#include <cstdint>
#include <vector>

namespace vx::link {

struct QtLineSettings {
    uint32_t baud = 0;
    // QSerialPort's own enumeration values.
    uint8_t dataBits = 0, parity = 0, stopBits = 0, flowControl = 0;
    bool dtr = false, rts = false;
};

std::vector<uint8_t> encodeLineSettings(const QtLineSettings& s);
// False (and `s` untouched) when the bytes are not what encodeLineSettings makes.
bool decodeLineSettings(const std::vector<uint8_t>& bytes, QtLineSettings& s);

}  // namespace vx::link
