#include "plot/clip.h"

#include <cmath>

namespace vx::plot {

bool clipSegment(const Box& box, PointF& a, PointF& b, bool* endMoved) {
    // Liang-Barsky, in double so that far-away points keep their direction.
    const double x0 = a.x, y0 = a.y, dx = double(b.x) - x0, dy = double(b.y) - y0;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(dx) || !std::isfinite(dy)) return false;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
        return true;
    };
    if (!edge(-dx, x0 - box.left) || !edge(dx, box.right - x0) || !edge(-dy, y0 - box.top) ||
        !edge(dy, box.bottom - y0))
        return false;
    *endMoved = t1 < 1;
    if (t1 < 1) b = {float(x0 + t1 * dx), float(y0 + t1 * dy)};
    if (t0 > 0) a = {float(x0 + t0 * dx), float(y0 + t0 * dy)};
    return true;
}

}  // namespace vx::plot
