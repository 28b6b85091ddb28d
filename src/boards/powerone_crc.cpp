#include "boards/powerone_crc.h"

uint16_t vx::boards::poweroneCrc16(const uint8_t* buf, size_t n) {
    // Bytewise form with the two register halves kept apart, as the inverters compute it.
    uint8_t lo = 0xFF, hi = 0xFF;
    for (size_t i = 0; i < n; ++i) {
        uint8_t x = uint8_t(buf[i] ^ lo);
        x = uint8_t(x ^ (x << 4));
        lo = uint8_t(hi ^ (x << 3) ^ (x >> 4));
        hi = uint8_t(x ^ (x >> 5));
    }
    return uint16_t(uint8_t(~hi) << 8 | uint8_t(~lo));
}

int crc_powerone(uint8_t* buf, int nbyte) {
    if (!buf || nbyte < 0) return 0;
    const uint16_t crc = vx::boards::poweroneCrc16(buf, size_t(nbyte));
    const uint8_t lo = uint8_t(crc), hi = uint8_t(crc >> 8);
    const int same = buf[nbyte] == lo && buf[nbyte + 1] == hi;
    buf[nbyte] = lo;
    buf[nbyte + 1] = hi;
    return same;
}
