// The plotting interface: the axis system and its grid.

#include <cctype>
#include <cmath>

#include "graphs/plot_interface.h"
#include "plot/axis_drawing.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/recording.h"

using namespace vx::plot;

namespace {

// The axes an axis argument names: "x", "Y", "xy", "XYZ".
struct Axes {
    bool x = false, y = false;
};
Axes axesOf(const char* s) {
    Axes a;
    for (; s && *s; ++s) {
        char c = char(std::tolower(static_cast<unsigned char>(*s)));
        a.x |= c == 'x';
        a.y |= c == 'y';
    }
    if (!a.x && !a.y) warn("axis", "no axis named");
    return a;
}

bool part(const char* word, AxisPart* p) {
    int i = keywordIndex(word, {"NONE", "LINE", "TICK", "LABE", "NAME"});
    if (i < 0) return false;
    *p = AxisPart(i);
    return true;
}

}  // namespace

void axspos(int x, int y) {
    record("axspos", {double(x), double(y)});
    lib().axis.posX = x;
    lib().axis.posY = y;
}

void axslen(int width, int height) {
    record("axslen", {double(width), double(height)});
    if (width <= 0 || height <= 0) return warn("axslen", "lengths above 0");
    lib().axis.lenX = width;
    lib().axis.lenY = height;
}

void axsbgd(int32_t colour) {
    record("axsbgd", {double(colour)});
    if (colour < kNoColour || colour > 0xFFFFFF) return warn("axsbgd", "not a colour");
    lib().axis.background = colour;
}

void labdig(int digits, const char* axis) {
    record("labdig", {double(digits)}, {axis});
    Axes a = axesOf(axis);
    if (digits < -1 || digits > 10) return warn("labdig", "decimals from -1 to 10");
    if (a.x) lib().axis.digitsX = digits;
    if (a.y) lib().axis.digitsY = digits;
}

void setgrf(const char* lower, const char* left, const char* upper, const char* right) {
    record("setgrf", {}, {lower, left, upper, right});
    AxisSettings& s = lib().axis;
    AxisPart p[4];
    if (!part(lower, &p[0]) || !part(left, &p[1]) || !part(upper, &p[2]) || !part(right, &p[3]))
        return warn("setgrf", "unknown keyword");
    s.lower = p[0];
    s.left = p[1];
    s.upper = p[2];
    s.right = p[3];
}

void hname(int height) {
    record("hname", {double(height)});
    if (height <= 0 || height > 2100) return warn("hname", "a height from 1 to 2100");
    lib().axis.nameHeight = height;
}

void name(const char* text, const char* axis) {
    record("name", {}, {text, axis});
    Axes a = axesOf(axis);
    if (a.x) lib().axis.nameX = text ? text : "";
    if (a.y) lib().axis.nameY = text ? text : "";
}

void ticks(int count, const char* axis) {
    record("ticks", {double(count)}, {axis});
    Axes a = axesOf(axis);
    if (count < 0 || count > 100) return warn("ticks", "from 0 to 100 ticks");
    const int n = count < 1 ? 1 : count;  // 0: only at the labels
    if (a.x) lib().axis.ticksX = n;
    if (a.y) lib().axis.ticksY = n;
}

void graf(float xa, float xe, float xor_, float xstp, float ya, float ye, float yor, float ystp) {
    record("graf", {xa, xe, xor_, xstp, ya, ye, yor, ystp});
    Library& l = lib();
    if (!plotting("graf")) return;
    if (l.system.open) return warn("graf", "an axis system is open (endgrf closes it)");
    for (float v : {xa, xe, xor_, xstp, ya, ye, yor, ystp})
        if (!std::isfinite(v)) return warn("graf", "a value that is not a number");
    if (xa == xe || ya == ye) return warn("graf", "an axis from a value to the same value");
    const AxisSettings& s = l.axis;
    l.system.open = true;
    l.system.x = {xa, xe, xor_, xstp};
    l.system.y = {ya, ye, yor, ystp};
    l.system.area = {float(s.posX), float(s.posY - s.lenY), float(s.posX + s.lenX), float(s.posY)};
    l.curvesDrawn = 0;
    drawAxisSystem(l);
}

void endgrf() {
    record("endgrf", {});
    lib().system.open = false;
}

void grid(int nx, int ny) {
    record("grid", {double(nx), double(ny)});
    Library& l = lib();
    if (!plotting("grid")) return;
    if (!l.system.open) return warn("grid", "no axis system (graf comes first)");
    drawGrid(l, nx, ny);
}
