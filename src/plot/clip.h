#pragma once
// Clipping of curves to the axis area: each part of a polyline that lies inside the box
// becomes a piece of its own. Points that are not finite (a value the scaling overflowed)
// break the line there.

#include <span>
#include <vector>

#include "plot/scene.h"

namespace vx::plot {

// Clips the segment a-b to `box`: false when none of it is inside; else moves the ends
// that were outside onto the box, and tells whether b moved.
bool clipSegment(const Box& box, PointF& a, PointF& b, bool* endMoved);

// Calls emit(std::span<const PointF>) for each piece, built in `piece` (reused storage).
template <class Emit>
void clipPolyline(std::span<const PointF> pts, const Box& box, std::vector<PointF>& piece, Emit&& emit) {
    piece.clear();
    auto flush = [&] {
        if (piece.size() >= 2) emit(std::span<const PointF>(piece));
        piece.clear();
    };
    auto inside = [&box](PointF p) {
        return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;  // false for NaN
    };
    for (size_t i = 1; i < pts.size(); ++i) {
        PointF a = pts[i - 1], b = pts[i];
        if (!piece.empty() && inside(b)) {  // the common case: the line goes on inside
            piece.push_back(b);
            continue;
        }
        bool endMoved = false;
        if (!clipSegment(box, a, b, &endMoved)) {
            flush();
            continue;
        }
        if (piece.empty()) piece.push_back(a);
        piece.push_back(b);
        if (endMoved) flush();
    }
    flush();
}

}  // namespace vx::plot
