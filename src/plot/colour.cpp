#include "plot/colour.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "plot/keyword.h"

namespace vx::plot {
namespace {

int level(float f) {
    if (!(f > 0.0f)) return 0;  // also NaN
    return f >= 1.0f ? 255 : int(std::lround(f * 255.0f));
}

// Sixteen basic colours, a 6 x 6 x 6 cube and a ramp of 24 greys: a palette whose greys
// include the exact middle grey (128) and whose cube covers the common mixtures.
std::array<int32_t, 256> makePalette() {
    static const int basic[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                     {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                     {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                     {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::array<int32_t, 256> p{};
    int n = 0;
    for (const auto& c : basic)
        p[n++] = packColour(c[0], c[1], c[2]);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[n++] = packColour(r * 51, g * 51, b * 51);
    for (int k = 0; k < 24; ++k)
        p[n++] = packColour(8 + 10 * k, 8 + 10 * k, 8 + 10 * k);
    return p;
}

}  // namespace

int32_t exactColour(float r, float g, float b) {
    return packColour(level(r), level(g), level(b));
}

int32_t paletteColour(float r, float g, float b) {
    static const std::array<int32_t, 256> palette = makePalette();
    const int R = level(r), G = level(g), B = level(b);
    int32_t best = palette[0];
    long bestDistance = -1;
    for (int32_t c : palette) {
        long dr = redOf(c) - R, dg = greenOf(c) - G, db = blueOf(c) - B;
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = c;
    }
    return best;
}

bool namedColour(const char* name, int32_t pageColour, int32_t* colour) {
    static const int32_t known[] = {
        packColour(0, 0, 0),       packColour(255, 255, 255), packColour(255, 0, 0),
        packColour(0, 255, 0),     packColour(0, 0, 255),     packColour(0, 255, 255),
        packColour(255, 255, 0),   packColour(255, 0, 255),   packColour(255, 165, 0),
        packColour(128, 128, 128), packColour(128, 128, 128), packColour(0, 0, 0),  // the foreground
    };
    int i = keywordIndex(name, {"BLAC", "WHIT", "RED ", "GREE", "BLUE", "CYAN", "YELL", "MAGE", "ORAN",
                                "GRAY", "GREY", "FORE", "BACK"});
    if (i < 0) return false;
    *colour = i == 12 ? pageColour : known[i];
    return true;
}

}  // namespace vx::plot
