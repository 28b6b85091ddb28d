// The plotting interface: the legend. Its lines live in the program's buffer, one line of
// maxChars + 1 bytes after another; the legend shows each with a stroke in the colour
// and thickness of the corresponding curve, its text in the current colour.

#include <cstring>

#include "graphs/plot_interface.h"
#include "plot/library.h"
#include "plot/recording.h"

using namespace vx::plot;

namespace {

char* lineOf(const Legend& g, char* buffer, int line) {
    return buffer + size_t(line - 1) * size_t(g.maxChars + 1);
}

}  // namespace

void legini(char* buffer, int lines, int maxChars) {
    record("legini", {double(lines), double(maxChars)});
    Legend& g = lib().legend;
    if (!buffer || lines < 1 || maxChars < 1) return warn("legini", "a buffer, lines and characters");
    g.buffer = buffer;
    g.lines = lines;
    g.maxChars = maxChars;
    for (int i = 1; i <= lines; ++i)
        *lineOf(g, buffer, i) = '\0';
}

void legpos(int x, int y) {
    record("legpos", {double(x), double(y)});
    Legend& g = lib().legend;
    g.placed = true;
    g.x = x;
    g.y = y;
}

void leglin(char* buffer, const char* text, int line) {
    record("leglin", {double(line)}, {text});
    Legend& g = lib().legend;
    if (!buffer || buffer != g.buffer || line < 1 || line > g.lines)
        return warn("leglin", "no such legend line");
    char* dst = lineOf(g, buffer, line);
    size_t n = text ? strnlen(text, size_t(g.maxChars)) : 0;
    std::memcpy(dst, text ? text : "", n);
    dst[n] = '\0';
}

void legtit(const char* title) {
    record("legtit", {}, {title});
    lib().legend.title = title ? title : "";
}

void legend(char* buffer, int corner) {
    record("legend", {double(corner)});
    Library& l = lib();
    const Legend& g = l.legend;
    if (!plotting("legend")) return;
    if (!buffer || buffer != g.buffer) return warn("legend", "legini comes first");
    const int h = l.textHeight, rowHeight = h * 3 / 2, stroke = 3 * h;
    int x = g.x, y = g.y;
    if (!g.placed) {
        // In a corner of the axis area (1 lower left, 2 lower right, 3 upper right, 4
        // upper left), its width taken generously.
        const Box a = l.system.area;
        const int rows = g.lines + (g.title.empty() ? 0 : 1), width = stroke + h * (g.maxChars + 1) / 2;
        const bool right = corner == 2 || corner == 3, low = corner == 1 || corner == 2;
        x = right ? int(a.right) - width - h : int(a.left) + h;
        y = low ? int(a.bottom) - rows * rowHeight - h : int(a.top) + h;
    }
    if (!g.title.empty()) {
        l.scene.text(g.title, {float(x), float(y)}, h, l.colour, l.font, Align::Left, 0);
        y += rowHeight;
    }
    for (int i = 1; i <= g.lines; ++i, y += rowHeight) {
        const int k = i - 1;
        const int32_t c = k < l.curvesDrawn && k < kCurveColoursKept ? l.curveColours[k] : l.colour;
        const PointF line[2] = {{float(x), float(y + h / 2)}, {float(x + stroke), float(y + h / 2)}};
        l.scene.polyline(line, c, l.thickness, LineStyle::Solid);
        l.scene.text(lineOf(g, buffer, i), {float(x + stroke + h / 2), float(y)}, h, l.colour, l.font,
                     Align::Left, 0);
    }
}
