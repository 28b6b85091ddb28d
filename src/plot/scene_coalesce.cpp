// How the display list stays as small as the picture: covering and erasing (see scene.h).

#include <cstring>

#include "plot/scene.h"

namespace vx::plot {
namespace {

// Earlier primitives looked at for each new one: enough for any picture a window
// redraws piece by piece, and a bound on the work for pictures of many thousands.
constexpr size_t kLookBack = 4096;

bool isLine(const Primitive& p) {
    return p.kind == Kind::Polyline || p.kind == Kind::Lines;
}

// The box of a line's points, without its width.
Box pointBox(const Primitive& p) {
    return p.extent.grown(-(float(p.thickness) / 2 + 0.5f));
}

bool sameBytes(const void* a, const void* b, size_t n) {
    return n == 0 || std::memcmp(a, b, n) == 0;
}

}  // namespace

bool Scene::samePoints(const Primitive& q, const Primitive& p) const {
    if (p.count > q.count || !q.extent.contains(p.extent)) return false;
    const PointF* a = points_.data() + p.first;
    const PointF* b = points_.data() + q.first;
    const size_t bytes = p.count * sizeof(PointF);
    if (sameBytes(a, b, bytes)) return true;                                          // q starts with p
    return q.kind == Kind::Polyline && sameBytes(a, b + (q.count - p.count), bytes);  // q ends with p
}

bool Scene::covers(const Primitive& q, const Primitive& p) const {
    if (p.kind == Kind::PageFill) return false;  // only a new fill of the page replaces it
    switch (q.kind) {
        case Kind::Rect:
            return isLine(p) ? q.rect.grown(2).contains(pointBox(p)) : q.rect.contains(p.extent);
        case Kind::Polyline:
        case Kind::Lines:
            return p.kind == q.kind && q.thickness >= p.thickness &&
                   (q.style == LineStyle::Solid || q.style == p.style) &&
                   (q.kind == Kind::Polyline || p.count == q.count) && samePoints(q, p);
        case Kind::Text:
            return p.kind == Kind::Text && p.count == q.count && p.at.x == q.at.x && p.at.y == q.at.y &&
                   p.height == q.height && p.font == q.font && p.angle == q.angle && p.align == q.align &&
                   sameBytes(bytes_.data() + p.first, bytes_.data() + q.first, p.count);
        case Kind::Border:
            return p.kind == Kind::Border && q.thickness >= p.thickness;
        case Kind::PageFill:
            return true;
    }
    return false;
}

bool Scene::absorbedBy(const Primitive& q) {
    bool overlaps = false;
    size_t looked = 0;
    for (size_t i = list_.size(); i-- > 0;) {
        Primitive& p = list_[i];
        if (!p.live) continue;
        if (++looked > kLookBack) return false;
        if (covers(q, p)) {
            kill(p);
            continue;
        }
        if (!q.extent.intersects(p.extent)) continue;
        // An eraser lies on a fill of its colour (a line's points do: its width may spill
        // over the fill's edge).
        const bool fill = p.kind == Kind::Rect || p.kind == Kind::PageFill;
        if (fill && p.colour == q.colour && p.extent.contains(isLine(q) ? pointBox(q) : q.extent))
            return !overlaps;
        // A line eraser retraces lines; the lines it merely crosses are redrawn by the
        // program that erases (grids, other curves), so only areas and texts hold it.
        if (p.colour != q.colour && (!isLine(q) || !isLine(p))) overlaps = true;
    }
    return false;
}

}  // namespace vx::plot
