#include "plot/axis_drawing.h"

#include <cstdio>

namespace vx::plot {
namespace {

constexpr float kMajorTick = 24, kMinorTick = 12, kLabelGap = kMajorTick + 16, kNameGap = 16;
constexpr int kMaxTicks = 5000, kMaxLabels = 1000;
// A label's width as its position needs it: the average character is well under the
// cell's height.
constexpr float kAverageCharWidth = 0.6f;

void frame(Library& l) {
    const AxisSettings& s = l.axis;
    const Box& a = l.system.area;
    std::vector<PointF>& seg = l.pagePoints;
    seg.clear();
    auto side = [&](AxisPart part, PointF from, PointF to) {
        if (part < AxisPart::Line) return;
        seg.push_back(from);
        seg.push_back(to);
    };
    side(s.lower, {a.left, a.bottom}, {a.right, a.bottom});
    side(s.upper, {a.left, a.top}, {a.right, a.top});
    side(s.left, {a.left, a.top}, {a.left, a.bottom});
    side(s.right, {a.right, a.top}, {a.right, a.bottom});
    l.scene.lines(seg, l.colour, 1);
}

void ticks(Library& l) {
    const AxisSettings& s = l.axis;
    const AxisSystem& sys = l.system;
    const Box& a = sys.area;
    std::vector<PointF>& seg = l.pagePoints;
    seg.clear();
    forEachStep(sys.x, s.ticksX, kMaxTicks, [&](double v, long k) {
        const float x = sys.toPage(float(v), sys.y.a).x;
        const float len = k >= 0 && k % s.ticksX == 0 ? kMajorTick : kMinorTick;
        if (s.lower >= AxisPart::Ticks) seg.insert(seg.end(), {{x, a.bottom}, {x, a.bottom + len}});
        if (s.upper >= AxisPart::Ticks) seg.insert(seg.end(), {{x, a.top}, {x, a.top - len}});
    });
    forEachStep(sys.y, s.ticksY, kMaxTicks, [&](double v, long k) {
        const float y = sys.toPage(sys.x.a, float(v)).y;
        const float len = k >= 0 && k % s.ticksY == 0 ? kMajorTick : kMinorTick;
        if (s.left >= AxisPart::Ticks) seg.insert(seg.end(), {{a.left, y}, {a.left - len, y}});
        if (s.right >= AxisPart::Ticks) seg.insert(seg.end(), {{a.right, y}, {a.right + len, y}});
    });
    l.scene.lines(seg, l.colour, 1);
}

// Draws the labels; returns the most characters of a y label.
size_t labels(Library& l) {
    const AxisSettings& s = l.axis;
    const AxisSystem& sys = l.system;
    const Box& a = sys.area;
    const float h = float(l.textHeight);
    size_t widest = 0;
    forEachStep(sys.x, 1, kMaxLabels, [&](double v, long k) {
        if (k < 0) return;
        const std::string t = axisLabel(v, s.digitsX);
        const float x = sys.toPage(float(v), sys.y.a).x;
        if (s.lower >= AxisPart::Labels)
            l.scene.text(t, {x, a.bottom + kLabelGap}, l.textHeight, l.colour, l.font, Align::Centre, 0);
        if (s.upper >= AxisPart::Labels)
            l.scene.text(t, {x, a.top - kLabelGap - h}, l.textHeight, l.colour, l.font, Align::Centre, 0);
    });
    forEachStep(sys.y, 1, kMaxLabels, [&](double v, long k) {
        if (k < 0) return;
        const std::string t = axisLabel(v, s.digitsY);
        widest = std::max(widest, t.size());
        const float y = sys.toPage(sys.x.a, float(v)).y - h / 2;
        if (s.left >= AxisPart::Labels)
            l.scene.text(t, {a.left - kLabelGap, y}, l.textHeight, l.colour, l.font, Align::Right, 0);
        if (s.right >= AxisPart::Labels)
            l.scene.text(t, {a.right + kLabelGap, y}, l.textHeight, l.colour, l.font, Align::Left, 0);
    });
    return widest;
}

void names(Library& l, size_t widestYLabel) {
    const AxisSettings& s = l.axis;
    const Box& a = l.system.area;
    const float h = float(l.textHeight), nh = float(s.nameHeight);
    const float midX = (a.left + a.right) / 2, midY = (a.top + a.bottom) / 2;
    const float yLabels = float(widestYLabel) * h * kAverageCharWidth;
    if (!s.nameX.empty()) {
        if (s.lower == AxisPart::Name)
            l.scene.text(s.nameX, {midX, a.bottom + kLabelGap + h + kNameGap}, s.nameHeight, l.colour, l.font,
                         Align::Centre, 0);
        if (s.upper == AxisPart::Name)
            l.scene.text(s.nameX, {midX, a.top - kLabelGap - h - kNameGap - nh}, s.nameHeight, l.colour,
                         l.font, Align::Centre, 0);
    }
    if (!s.nameY.empty()) {
        if (s.left == AxisPart::Name)
            l.scene.text(s.nameY, {a.left - kLabelGap - yLabels - kNameGap - nh, midY}, s.nameHeight,
                         l.colour, l.font, Align::Centre, 90);
        if (s.right == AxisPart::Name)
            l.scene.text(s.nameY, {a.right + kLabelGap + yLabels + kNameGap, midY}, s.nameHeight, l.colour,
                         l.font, Align::Centre, 90);
    }
}

}  // namespace

std::string axisLabel(double value, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", digits > 0 ? digits : 0, value);
    std::string s = buf;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

void drawAxisSystem(Library& l) {
    if (l.axis.background != kNoColour) l.scene.fillRect(l.system.area, l.axis.background);
    frame(l);
    ticks(l);
    names(l, labels(l));
}

void drawGrid(Library& l, int nx, int ny) {
    const AxisSystem& sys = l.system;
    const Box& a = sys.area;
    std::vector<PointF>& seg = l.pagePoints;
    seg.clear();
    auto onEdge = [](float v, float lo, float hi) { return v - lo < 0.5f || hi - v < 0.5f; };
    if (nx > 0)
        forEachStep(sys.x, nx, kMaxTicks, [&](double v, long k) {
            const float x = sys.toPage(float(v), sys.y.a).x;
            if (k >= 0 && !onEdge(x, a.left, a.right)) seg.insert(seg.end(), {{x, a.top}, {x, a.bottom}});
        });
    if (ny > 0)
        forEachStep(sys.y, ny, kMaxTicks, [&](double v, long k) {
            const float y = sys.toPage(sys.x.a, float(v)).y;
            if (k >= 0 && !onEdge(y, a.top, a.bottom)) seg.insert(seg.end(), {{a.left, y}, {a.right, y}});
        });
    l.scene.lines(seg, l.colour, 1);
}

}  // namespace vx::plot
