#pragma once
// Colours of the plotting library. A colour is an int32 0x00BBGGRR: red in the lowest
// byte, then green, then blue, the top byte zero (the byte order of a Windows COLORREF, so
// the metafile writer stores it as it is). -1 stands for "no colour".

#include <cstdint>

namespace vx::plot {

constexpr int32_t kNoColour = -1;

constexpr int32_t packColour(int r, int g, int b) {
    return int32_t(uint32_t(r & 0xFF) | uint32_t(g & 0xFF) << 8 | uint32_t(b & 0xFF) << 16);
}
constexpr int redOf(int32_t c) {
    return c & 0xFF;
}
constexpr int greenOf(int32_t c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(int32_t c) {
    return (c >> 16) & 0xFF;
}

// Fractions 0.0 to 1.0 (clamped) as the exact colour.
int32_t exactColour(float r, float g, float b);
// The entry of the library's 256-colour palette nearest to the fractions.
int32_t paletteColour(float r, float g, float b);
// A colour by name ("red", "Green", "fore" ...), by its first four characters; false
// for a name the library does not know.
bool namedColour(const char* name, int32_t pageColour, int32_t* colour);

}  // namespace vx::plot
