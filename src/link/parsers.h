#pragma once
// Reading numbers out of a reply at fixed offsets.

#include <cstdint>

int32_t chr_to_num(uint8_t c);
// The first `dim` characters as hexadecimal (the first always read; nothing stops at NUL).
int32_t str16_to_num(const void* str, int32_t dim);
// The same in base 10 (hex letters still count 10 to 15).
int32_t str_to_num(const void* str, int32_t dim);
