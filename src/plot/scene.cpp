#include "plot/scene.h"

#include <algorithm>
#include <cmath>

namespace vx::plot {
namespace {

Box extentOf(std::span<const PointF> pts, float halfWidth) {
    Box b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const PointF& p : pts) {
        b.left = std::min(b.left, p.x);
        b.right = std::max(b.right, p.x);
        b.top = std::min(b.top, p.y);
        b.bottom = std::max(b.bottom, p.y);
    }
    return b.grown(halfWidth);
}

// No font is wider than its cell is high for every character, so n x height bounds a
// text of n characters whatever font draws it.
Box textExtent(size_t n, PointF at, float h, Align align, int angle) {
    float len = float(n) * h;
    float before = align == Align::Left ? 0 : align == Align::Centre ? len / 2 : len;
    if (angle == 90) return {at.x, at.y - (len - before), at.x + h, at.y + before};
    return {at.x - before, at.y, at.x + (len - before), at.y + h};
}

const Box kPage{0, 0, float(kPageWidth), float(kPageHeight)};

}  // namespace

void Scene::reset(int32_t pageColour) {
    list_.clear();
    points_.clear();
    bytes_.clear();
    fonts_.clear();
    dead_ = deadPoints_ = deadBytes_ = 0;
    borderThickness_ = 0;
    borderColour_ = -1;
    pageColour_ = pageColour;
    Primitive fill;
    fill.colour = pageColour;
    fill.extent = kPage;
    list_.push_back(fill);
}

void Scene::releaseStorage() {
    std::vector<Primitive>().swap(list_);
    std::vector<PointF>().swap(points_);
    std::string().swap(bytes_);
    reset(pageColour_);
}

void Scene::fillPage(int32_t colour) {
    list_.clear();
    points_.clear();
    bytes_.clear();
    dead_ = deadPoints_ = deadBytes_ = 0;
    pageColour_ = colour;
    Primitive fill;
    fill.colour = colour;
    fill.extent = kPage;
    list_.push_back(fill);
    if (observer_) observer_->drawn(*this, fill);
    if (borderColour_ >= 0) border(borderColour_, borderThickness_);
}

void Scene::border(int32_t colour, int thickness) {
    borderColour_ = colour;
    borderThickness_ = thickness;
    Primitive p;
    p.kind = Kind::Border;
    p.colour = colour;
    p.thickness = uint8_t(thickness);
    p.extent = kPage;
    add(p, {}, {});
}

void Scene::fillRect(const Box& r, int32_t colour) {
    Primitive p;
    p.kind = Kind::Rect;
    p.colour = colour;
    p.rect = r;
    p.extent = r;
    add(p, {}, {});
}

void Scene::polyline(std::span<const PointF> points, int32_t colour, int thickness, LineStyle style,
                     const Box* curveArea) {
    if (points.size() < 2) return;
    Primitive p;
    if (curveArea) {
        p.curve = true;
        p.area = *curveArea;
    }
    p.kind = Kind::Polyline;
    p.colour = colour;
    p.thickness = uint8_t(thickness);
    p.style = style;
    p.extent = extentOf(points, float(thickness) / 2 + 0.5f);
    add(p, points, {});
}

void Scene::lines(std::span<const PointF> pairs, int32_t colour, int thickness) {
    if (pairs.size() < 2) return;
    Primitive p;
    p.kind = Kind::Lines;
    p.colour = colour;
    p.thickness = uint8_t(thickness);
    p.extent = extentOf(pairs.first(pairs.size() & ~size_t(1)), float(thickness) / 2 + 0.5f);
    add(p, pairs.first(pairs.size() & ~size_t(1)), {});
}

void Scene::text(std::string_view bytes, PointF at, int height, int32_t colour, uint16_t font, Align align,
                 int angle) {
    if (bytes.empty() || height <= 0) return;
    Primitive p;
    p.kind = Kind::Text;
    p.colour = colour;
    p.at = at;
    p.height = height;
    p.font = font;
    p.align = align;
    p.angle = int16_t(angle == 90 ? 90 : 0);
    p.extent = textExtent(bytes.size(), at, float(height), align, p.angle);
    add(p, {}, bytes);
}

uint16_t Scene::fontIndex(std::string_view name) {
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == name) return uint16_t(i);
    fonts_.emplace_back(name);
    return uint16_t(fonts_.size() - 1);
}

const std::string& Scene::fontName(uint16_t font) const {
    static const std::string none;
    return font < fonts_.size() ? fonts_[font] : none;
}

void Scene::add(Primitive p, std::span<const PointF> pts, std::string_view bytes) {
    if (!pts.empty()) {
        p.first = uint32_t(points_.size());
        p.count = uint32_t(pts.size());
        points_.insert(points_.end(), pts.begin(), pts.end());
    } else if (!bytes.empty()) {
        p.first = uint32_t(bytes_.size());
        p.count = uint32_t(bytes.size());
        bytes_.append(bytes);
    }
    if (observer_) observer_->drawn(*this, p);
    if (absorbedBy(p)) {
        // Nothing to keep: give its storage back (it is the last thing stored).
        if (!pts.empty()) points_.resize(p.first);
        if (!bytes.empty()) bytes_.resize(p.first);
    } else {
        list_.push_back(p);
    }
    if (liveCount() > kMaxPrimitives) {
        for (Primitive& old : list_) {
            if (liveCount() <= kMaxPrimitives * 3 / 4) break;
            if (old.live && old.kind != Kind::PageFill) kill(old);
        }
    }
    if ((dead_ > 64 && dead_ > list_.size() / 2) || deadPoints_ > points_.size() / 2 + 65536 ||
        deadBytes_ > bytes_.size() / 2 + 65536)
        compact();
}

void Scene::kill(Primitive& p) {
    p.live = false;
    ++dead_;
    if (p.kind == Kind::Text)
        deadBytes_ += p.count;
    else
        deadPoints_ += p.count;
}

// Drops the removed primitives and closes the gaps in the pools, in place: the order of
// the list and of the pools is kept, so every survivor moves down or stays.
void Scene::compact() {
    size_t out = 0, pointsOut = 0, bytesOut = 0;
    for (size_t i = 0; i < list_.size(); ++i) {
        Primitive p = list_[i];
        if (!p.live) continue;
        if (p.kind == Kind::Text) {
            std::copy_n(bytes_.begin() + ptrdiff_t(p.first), p.count, bytes_.begin() + ptrdiff_t(bytesOut));
            p.first = uint32_t(bytesOut);
            bytesOut += p.count;
        } else if (p.count) {
            std::copy_n(points_.begin() + ptrdiff_t(p.first), p.count,
                        points_.begin() + ptrdiff_t(pointsOut));
            p.first = uint32_t(pointsOut);
            pointsOut += p.count;
        }
        list_[out++] = p;
    }
    list_.resize(out);
    points_.resize(pointsOut);
    bytes_.resize(bytesOut);
    dead_ = deadPoints_ = deadBytes_ = 0;
}

}  // namespace vx::plot
