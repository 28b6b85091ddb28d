#include "link/parsers.h"

int32_t chr_to_num(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

namespace {
int32_t digits(const void* str, int32_t dim, uint32_t base) {
    const auto* s = static_cast<const uint8_t*>(str);
    uint32_t v = uint32_t(chr_to_num(s[0]));
    for (int32_t i = 1; i < dim; ++i)
        v = v * base + uint32_t(chr_to_num(s[i]));
    return int32_t(v);  // wraps like the 32-bit arithmetic it stands for
}
}  // namespace

int32_t str16_to_num(const void* str, int32_t dim) {
    return digits(str, dim, 16);
}
int32_t str_to_num(const void* str, int32_t dim) {
    return digits(str, dim, 10);
}
