#include "link/qt_line_state.h"

#include <cstddef>

namespace vx::link {
namespace {

constexpr uint8_t kTag = 'Q';
constexpr uint8_t kVersion = 1;
constexpr size_t kSize = 11;

}  // namespace

std::vector<uint8_t> encodeLineSettings(const QtLineSettings& s) {
    std::vector<uint8_t> b = {kTag, kVersion};
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(s.baud >> (8 * i)));
    b.insert(b.end(),
             {s.dataBits, s.parity, s.stopBits, s.flowControl, uint8_t((s.dtr ? 1 : 0) | (s.rts ? 2 : 0))});
    return b;
}

bool decodeLineSettings(const std::vector<uint8_t>& b, QtLineSettings& s) {
    if (b.size() != kSize || b[0] != kTag || b[1] != kVersion) return false;
    QtLineSettings d;
    for (int i = 0; i < 4; ++i)
        d.baud |= uint32_t(b[2 + i]) << (8 * i);
    d.dataBits = b[6];
    d.parity = b[7];
    d.stopBits = b[8];
    d.flowControl = b[9];
    d.dtr = (b[10] & 1) != 0;
    d.rts = (b[10] & 2) != 0;
    s = d;
    return true;
}

}  // namespace vx::link
