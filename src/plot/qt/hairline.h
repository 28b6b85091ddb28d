#pragma once
// One-pixel lines written straight into a 32-bit image, segment by segment with both end
// pixels: the same segment always sets the same pixels, whatever is drawn before or
// after it, so a curve drawn again in the background colour erases every pixel of it.
// (The painter's own hairlines join segments in ways that leave stray pixels then.)

#include <QImage>
#include <QPointF>
#include <QRect>
#include <cmath>

namespace vx::plot::qt {

// The pixel that holds a point of the device (the one to its right and below).
inline QPoint pixelOf(QPointF p) {
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

// From the pixel of a to the pixel of b, both included, inside `clip`. Points beyond the
// reach of pixel coordinates are not drawn.
void drawHairline(QImage& image, const QRect& clip, QPointF a, QPointF b, QRgb colour);

}  // namespace vx::plot::qt
