#pragma once
// The lines a logger forwards in monitor mode, decoded field by field. Numbers are hex
// digits of either case at fixed offsets; a line is decoded only when every field it
// claims lies inside it, so nothing is read beyond its end.
//
//   "ATBC" broadcast: address (2 digits at 4), channel count c (2 at 6), SaTmr (4 at 8),
//          c configuration words (4 each from 12), battery (4 at 12 + 4c)
//   "ATUC" data:      address (2 at 4), c = (length - 14) / 4 samples (4 each from 6),
//          board temperature (4 at 6 + 4c), battery (4 at 10 + 4c)
//   "ATNA" test:      address (2 at 4), up to two characters of result from 6

#include <cstddef>
#include <cstdint>

namespace vx::monitor {

constexpr int kMaxPacketChannels = 64;

enum class PacketKind {
    Broadcast,
    Data,
    Test,
    Unknown,    // another beginning: dropped
    Malformed,  // a known beginning whose fields do not fit the line: dropped
};

struct Packet {
    PacketKind kind = PacketKind::Unknown;
    uint8_t address = 0;
    int channels = 0;  // configuration words (broadcast) or samples (data)
    uint16_t satmr = 0;
    uint16_t words[kMaxPacketChannels] = {};  // configuration words or raw samples
    int16_t temperature = 0;                  // tenths of a degree
    uint16_t battery = 0;                     // hundredths of a volt
    char result[3] = {};                      // test result, NUL-terminated
};

// Decodes the `len` characters of one line (its carriage return removed).
Packet decodePacketLine(const uint8_t* line, size_t len);

}  // namespace vx::monitor
