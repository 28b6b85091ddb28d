#pragma once
// CRC-16/X-25 computed bit by bit: the tests' own reference, independent of the program's.

#include <cstddef>
#include <cstdint>

namespace vx::test {

inline uint16_t crcX25(const uint8_t* p, size_t n) {
    uint16_t c = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int b = 0; b < 8; ++b)
            c = (c & 1) ? uint16_t((c >> 1) ^ 0x8408) : uint16_t(c >> 1);
    }
    return uint16_t(~c);
}

}  // namespace vx::test
