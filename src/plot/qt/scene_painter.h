#pragma once
// Paints the primitives of a scene with a QPainter whose transform maps page units to
// the device; the screen window, the SVG and the PNG pictures all draw through it.
// Texts are converted from Windows-1252; a text's height is the height of its font's
// character cell, as in the metafile.

#include <QFont>
#include <QPainter>
#include <string>
#include <vector>

#include "plot/scene.h"

namespace vx::plot::qt {

class ScenePainter {
  public:
    // `pixelsPerUnit`: the device pixels of one page unit, so that hairlines stay one
    // pixel wide however small the page is drawn.
    void paint(QPainter& p, const Scene& scene, const Primitive& prim, double pixelsPerUnit);
    void paintAll(QPainter& p, const Scene& scene, double pixelsPerUnit);
    // Whether a line of that thickness is drawn one device pixel wide.
    static bool isHairline(const Primitive& prim, double pixelsPerUnit) {
        return prim.thickness * pixelsPerUnit < 1.5;
    }

  private:
    QPen pen(const Primitive& prim, double pixelsPerUnit) const;
    const QFont& font(const Scene& scene, const Primitive& prim);
    void text(QPainter& p, const Scene& scene, const Primitive& prim);

    struct CachedFont {
        std::string name;
        int height;
        QFont font;
    };
    std::vector<CachedFont> fonts_;
    std::vector<QPointF> points_;
};

// The transform that shows the whole page centred in `size`, keeping its ratio.
QTransform pageTransform(QSizeF size);

}  // namespace vx::plot::qt
