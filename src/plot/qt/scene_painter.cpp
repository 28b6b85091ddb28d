#include "plot/qt/scene_painter.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "plot/colour.h"
#include "plot/font_name.h"
#include "ui/text_encoding.h"

namespace vx::plot::qt {
namespace {

QColor qcolour(int32_t c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

QRectF qrect(const Box& b) {
    return QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

}  // namespace

QTransform pageTransform(QSizeF size) {
    const double s = std::min(size.width() / kPageWidth, size.height() / kPageHeight);
    QTransform t;
    t.translate((size.width() - kPageWidth * s) / 2, (size.height() - kPageHeight * s) / 2);
    t.scale(s, s);
    return t;
}

QPen ScenePainter::pen(const Primitive& prim, double pixelsPerUnit) const {
    QPen pen(qcolour(prim.colour));
    if (isHairline(prim, pixelsPerUnit)) {
        pen.setCosmetic(true);  // a line as thin as the device draws
        pen.setWidth(1);
    } else {
        pen.setWidthF(prim.thickness);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
    pen.setStyle(styles[int(prim.style) & 3]);
    return pen;
}

const QFont& ScenePainter::font(const Scene& scene, const Primitive& prim) {
    const std::string& name = scene.fontName(prim.font);
    for (const CachedFont& f : fonts_)
        if (f.height == prim.height && f.name == name) return f.font;
    const FontFace face = parseFontName(name);
    QFont f(QString::fromStdString(face.family));
    f.setBold(face.bold);
    f.setItalic(face.italic);
    f.setHintingPreference(QFont::PreferNoHinting);  // the same shapes at every scale
    // Find the pixel size whose character cell (ascent + descent) is the text's height.
    f.setPixelSize(1000);
    const double cell = QFontMetricsF(f).height();
    f.setPixelSize(std::max(1, int(std::lround(prim.height * 1000.0 / (cell > 0 ? cell : 1000.0)))));
    if (fonts_.size() > 64) fonts_.clear();
    fonts_.push_back({name, prim.height, f});
    return fonts_.back().font;
}

void ScenePainter::text(QPainter& p, const Scene& scene, const Primitive& prim) {
    const QString s = QString::fromStdString(vx::ui::cp1252ToUtf8(std::string(scene.text(prim))));
    const QFont& f = font(scene, prim);
    const QFontMetricsF fm(f);
    const double width = fm.horizontalAdvance(s);
    const double before = prim.align == Align::Left ? 0 : prim.align == Align::Centre ? width / 2 : width;
    p.setFont(f);
    p.setPen(qcolour(prim.colour));
    if (prim.angle == 90) {
        p.save();
        p.translate(prim.at.x, prim.at.y);
        p.rotate(-90);
        p.drawText(QPointF(-before, fm.ascent()), s);
        p.restore();
    } else {
        p.drawText(QPointF(prim.at.x - before, prim.at.y + fm.ascent()), s);
    }
}

void ScenePainter::paint(QPainter& p, const Scene& scene, const Primitive& prim, double pixelsPerUnit) {
    switch (prim.kind) {
        case Kind::PageFill:
            p.fillRect(QRectF(0, 0, kPageWidth, kPageHeight), qcolour(prim.colour));
            break;
        case Kind::Rect:
            p.fillRect(qrect(prim.rect), qcolour(prim.colour));
            break;
        case Kind::Border: {
            const double h = prim.thickness / 2.0;
            p.setPen(pen(prim, pixelsPerUnit));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(h, h, kPageWidth - 2 * h, kPageHeight - 2 * h));
            break;
        }
        case Kind::Polyline:
        case Kind::Lines: {
            // Lines go to the device in its own coordinates when the page is only scaled
            // and moved: mapping thousands of points here is cheaper than in the painter.
            const QTransform t = p.transform();
            const bool mapHere = t.type() <= QTransform::TxScale;
            const double sx = mapHere ? t.m11() : 1, sy = mapHere ? t.m22() : 1;
            const double dx = mapHere ? t.dx() : 0, dy = mapHere ? t.dy() : 0;
            auto pts = scene.points(prim);
            points_.resize(pts.size());
            for (size_t i = 0; i < pts.size(); ++i)
                points_[i] = QPointF(pts[i].x * sx + dx, pts[i].y * sy + dy);
            QPen linePen = pen(prim, pixelsPerUnit);
            if (mapHere) {
                p.resetTransform();
                if (!linePen.isCosmetic()) linePen.setWidthF(linePen.widthF() * sx);
            }
            p.setPen(linePen);
            if (prim.kind == Kind::Lines)
                p.drawLines(points_.data(), int(points_.size() / 2));
            else
                p.drawPolyline(points_.data(), int(points_.size()));
            if (mapHere) p.setTransform(t);
            break;
        }
        case Kind::Text:
            text(p, scene, prim);
            break;
    }
}

void ScenePainter::paintAll(QPainter& p, const Scene& scene, double pixelsPerUnit) {
    scene.forEach([&](const Primitive& prim) { paint(p, scene, prim, pixelsPerUnit); });
}

}  // namespace vx::plot::qt
