// The plotting interface: colours, the page and texts.

#include "graphs/plot_interface.h"
#include "plot/colour.h"
#include "plot/library.h"
#include "plot/recording.h"

using namespace vx::plot;

namespace {
constexpr int kBorderThickness = 4;
}

int32_t indrgb(float r, float g, float b) {
    record("indrgb", {r, g, b});
    return paletteColour(r, g, b);
}

int32_t intrgb(float r, float g, float b) {
    record("intrgb", {r, g, b});
    return exactColour(r, g, b);
}

void setclr(int32_t colour) {
    record("setclr", {double(colour)});
    if (colour < 0 || colour > 0xFFFFFF) return warn("setclr", "not a colour");
    lib().colour = colour;
}

void color(const char* name) {
    record("color", {}, {name});
    Library& l = lib();
    if (!namedColour(name, l.scene.pageColour(), &l.colour)) warn("color", "unknown colour name");
}

void pagera() {
    record("pagera", {});
    if (plotting("pagera")) lib().scene.border(lib().colour, kBorderThickness);
}

void pagfll(int32_t colour) {
    record("pagfll", {double(colour)});
    if (!plotting("pagfll")) return;
    if (colour < 0 || colour > 0xFFFFFF) return warn("pagfll", "not a colour");
    lib().scene.fillPage(colour);
}

void height(int h) {
    record("height", {double(h)});
    if (h <= 0 || h > 2100) return warn("height", "a height from 1 to 2100");
    lib().textHeight = h;
}

void messag(const char* text, int x, int y) {
    record("messag", {double(x), double(y)}, {text});
    if (!plotting("messag") || !text) return;
    Library& l = lib();
    l.scene.text(text, {float(x), float(y)}, l.textHeight, l.colour, l.font, Align::Left, 0);
}

void recfll(int x, int y, int width, int height, int32_t colour) {
    record("recfll", {double(x), double(y), double(width), double(height), double(colour)});
    if (!plotting("recfll")) return;
    if (width <= 0 || height <= 0 || colour < 0 || colour > 0xFFFFFF) return;
    lib().scene.fillRect({float(x), float(y), float(x + width), float(y + height)}, colour);
}
