#include "monitor/packet_line.h"

#include <cctype>
#include <cstring>

#include "link/parsers.h"

namespace vx::monitor {
namespace {

constexpr size_t kBroadcastHead = 12;  // "ATBC", address, count, SaTmr
constexpr size_t kDataMin = 14;        // "ATUC", address, temperature, battery
constexpr size_t kTestHead = 6;        // "ATNA", address

uint16_t hex4(const uint8_t* p) {
    return uint16_t(str16_to_num(p, 4));
}
uint8_t hex2(const uint8_t* p) {
    return uint8_t(str16_to_num(p, 2));
}

// A line spoilt on the way (a digit garbled, two lines run together after a lost line
// end) is dropped rather than decoded into wrong values.
bool hexDigits(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (!std::isxdigit(p[i])) return false;
    return true;
}

bool startsWith(const uint8_t* line, size_t len, const char* tag) {
    return len >= 4 && std::memcmp(line, tag, 4) == 0;
}

void broadcast(const uint8_t* line, size_t len, Packet& p) {
    if (len < kBroadcastHead || !hexDigits(line + 4, len - 4)) return;
    int c = hex2(line + 6);
    // A count beyond the words the line carries (or the most a node has) is not believed.
    if (c > kMaxPacketChannels || kBroadcastHead + 4 * size_t(c) + 4 > len) return;
    p.address = hex2(line + 4);
    p.channels = c;
    p.satmr = hex4(line + 8);
    for (int i = 0; i < c; ++i)
        p.words[i] = hex4(line + kBroadcastHead + 4 * size_t(i));
    p.battery = hex4(line + kBroadcastHead + 4 * size_t(c));
    p.kind = PacketKind::Broadcast;
}

void data(const uint8_t* line, size_t len, Packet& p) {
    if (len < kDataMin || (len - kDataMin) % 4 != 0 || !hexDigits(line + 4, len - 4)) return;
    size_t c = (len - kDataMin) / 4;
    if (c > size_t(kMaxPacketChannels)) return;
    p.address = hex2(line + 4);
    p.channels = int(c);
    for (size_t i = 0; i < c; ++i)
        p.words[i] = hex4(line + 6 + 4 * i);
    p.temperature = int16_t(hex4(line + 6 + 4 * c));
    p.battery = hex4(line + 10 + 4 * c);
    p.kind = PacketKind::Data;
}

void test(const uint8_t* line, size_t len, Packet& p) {
    if (len < kTestHead || !hexDigits(line + 4, 2)) return;
    p.address = hex2(line + 4);
    // The result as text: at most two characters, ending early at the line's end or a NUL.
    for (size_t i = 0; i < 2 && kTestHead + i < len && line[kTestHead + i] != 0; ++i)
        p.result[i] = char(line[kTestHead + i]);
    p.kind = PacketKind::Test;
}

}  // namespace

Packet decodePacketLine(const uint8_t* line, size_t len) {
    Packet p;
    if (startsWith(line, len, "ATBC")) {
        p.kind = PacketKind::Malformed;
        broadcast(line, len, p);
    } else if (startsWith(line, len, "ATUC")) {
        p.kind = PacketKind::Malformed;
        data(line, len, p);
    } else if (startsWith(line, len, "ATNA")) {
        p.kind = PacketKind::Malformed;
        test(line, len, p);
    }
    return p;
}

}  // namespace vx::monitor
