// The plotting interface: curves and their attributes.

#include <climits>

#include "graphs/plot_interface.h"
#include "plot/clip.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/recording.h"

using namespace vx::plot;

void curve(const float* x, const float* y, int n) {
    recordCurve(x, y, n);
    Library& l = lib();
    if (!plotting("curve")) return;
    if (!l.system.open) return warn("curve", "no axis system (graf comes first)");
    if (!x || !y || n < 2) return;
    const int k = l.curvesDrawn;
    const int32_t colour = l.cycleColours ? l.cycle[k % l.cycleLength] : l.colour;
    const LineStyle style = l.cycleStyles ? LineStyle(k % 4) : LineStyle::Solid;
    if (k < kCurveColoursKept) l.curveColours[k] = colour;
    if (k < INT_MAX) ++l.curvesDrawn;

    std::vector<PointF>& page = l.pagePoints;
    page.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        page[size_t(i)] = l.system.toPage(x[i], y[i]);
    clipPolyline(page, l.system.area, l.piece, [&](std::span<const PointF> part) {
        l.scene.polyline(part, colour, l.thickness, style, &l.system.area);
    });
}

void chncrv(const char* mode) {
    record("chncrv", {}, {mode});
    Library& l = lib();
    int i = keywordIndex(mode, {"NONE", "COLO", "LINE", "BOTH"});
    if (i < 0) return warn("chncrv", "unknown mode");
    l.cycleColours = i == 1 || i == 3;
    l.cycleStyles = i == 2 || i == 3;
}

void clrcyc(int index, int32_t colour) {
    record("clrcyc", {double(index), double(colour)});
    Library& l = lib();
    if (index < 1 || index > kCycleMax || colour < 0 || colour > 0xFFFFFF)
        return warn("clrcyc", "an entry from 1 to 32 and a colour");
    l.cycle[index - 1] = colour;
    if (index > l.cycleLength) l.cycleLength = index;
}

void thkcrv(int thickness) {
    record("thkcrv", {double(thickness)});
    if (thickness < 1 || thickness > 11) return warn("thkcrv", "a thickness from 1 to 11");
    lib().thickness = thickness;
}

void resatt() {
    record("resatt", {});
    lib().curvesDrawn = 0;
}
