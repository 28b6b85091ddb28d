#pragma once
// The axis system: its settings (position, lengths, background, label decimals, which
// parts each side shows, names, ticks) and, once graf has drawn it, the scaling of axis
// units to page units that curves use until endgrf.

#include <algorithm>
#include <cmath>
#include <string>

#include "plot/colour.h"
#include "plot/scene.h"

namespace vx::plot {

// What one side of the axis system shows; each part includes the ones before it.
enum class AxisPart : uint8_t { None, Line, Ticks, Labels, Name };

struct AxisScale {
    float a = 0, e = 1;          // the axis runs from a to e
    float origin = 0, step = 1;  // first label and the distance between labels
    bool descending() const { return e < a; }
};

struct AxisSettings {
    int posX = 450, posY = 1800;  // lower left corner
    int lenX = 2200, lenY = 1400;
    int32_t background = kNoColour;
    int digitsX = 1, digitsY = 1;  // decimals of the labels; -1 and 0 give none
    AxisPart lower = AxisPart::Name, left = AxisPart::Name, upper = AxisPart::Ticks, right = AxisPart::Ticks;
    int nameHeight = 36;
    std::string nameX, nameY;
    int ticksX = 2, ticksY = 2;  // tick intervals between two labels
};

struct AxisSystem {
    bool open = false;  // from graf to endgrf
    AxisScale x, y;
    Box area;  // on the page

    PointF toPage(float ax, float ay) const {
        return {area.left + float((double(ax) - x.a) / (double(x.e) - x.a) * (area.right - area.left)),
                area.bottom - float((double(ay) - y.a) / (double(y.e) - y.a) * (area.bottom - area.top))};
    }
};

// Label text of a value with `digits` decimals ("-0" written as "0").
std::string axisLabel(double value, int digits);

// Calls f(v, k) for every value v = origin + k * step / perStep (k an integer) inside
// the axis's range, unless there would be more than `limit` of them. The labels are
// where k is a multiple of perStep at or after the origin.
template <class F>
void forEachStep(const AxisScale& s, int perStep, int limit, F&& f) {
    const int n = perStep > 0 ? perStep : 1;
    const double lo = s.a < s.e ? s.a : s.e, hi = s.a < s.e ? s.e : s.a;
    const double d = double(s.step) / n;
    if (!(std::fabs(d) > 0) || !(hi > lo) || !std::isfinite(d) || (hi - lo) / std::fabs(d) > limit) return;
    const double k1 = (lo - s.origin) / d, k2 = (hi - s.origin) / d, slack = 1e-5 * (hi - lo) / std::fabs(d);
    const long first = long(std::ceil(std::min(k1, k2) - slack)),
               last = long(std::floor(std::max(k1, k2) + slack));
    for (long k = first; k <= last; ++k)
        f(s.origin + double(k) * d, k);
}

}  // namespace vx::plot
