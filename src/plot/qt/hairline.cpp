#include "plot/qt/hairline.h"

#include <cmath>
#include <cstdlib>

namespace vx::plot::qt {

void drawHairline(QImage& image, const QRect& clip, QPointF a, QPointF b, QRgb colour) {
    constexpr double kReach = 1 << 20;
    for (double v : {a.x(), a.y(), b.x(), b.y()})
        if (!(std::fabs(v) < kReach)) return;
    const QRect box = clip & image.rect();
    QPoint p = pixelOf(a);
    const QPoint end = pixelOf(b);
    // Bresenham: one pixel per step along the longer direction.
    const int dx = std::abs(end.x() - p.x()), dy = -std::abs(end.y() - p.y());
    const int sx = p.x() < end.x() ? 1 : -1, sy = p.y() < end.y() ? 1 : -1;
    int err = dx + dy;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (;;) {
        if (box.contains(p)) reinterpret_cast<QRgb*>(bits + p.y() * stride)[p.x()] = colour;
        if (p == end) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
}

}  // namespace vx::plot::qt
