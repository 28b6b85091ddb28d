#include "plot/qt/picture_writer.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "plot/qt/scene_painter.h"

namespace vx::plot::qt {
namespace {

constexpr int kPngWidth = kPageWidth / 2, kPngHeight = kPageHeight / 2;

}  // namespace

bool QtPictureWriter::render(const Scene& scene, PictureFormat format, std::string* bytes,
                             std::string* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ScenePainter painter;
    if (format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(kPageWidth, kPageHeight));
        svg.setViewBox(QRect(0, 0, kPageWidth, kPageHeight));
        svg.setResolution(254);  // page units are tenths of a millimetre
        QPainter p;
        if (!p.begin(&svg)) return *error = "cannot draw the SVG picture", false;
        painter.paintAll(p, scene, 1.0);
        p.end();
    } else {
        QImage image(kPngWidth, kPngHeight, QImage::Format_RGB32);
        image.setDotsPerMeterX(5000);
        image.setDotsPerMeterY(5000);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setTransform(pageTransform(QSizeF(image.size())));
        painter.paintAll(p, scene, 0.5);
        p.end();
        if (!image.save(&buffer, "PNG")) return *error = "cannot encode the PNG picture", false;
    }
    *bytes = buffer.data().toStdString();
    return true;
}

}  // namespace vx::plot::qt
