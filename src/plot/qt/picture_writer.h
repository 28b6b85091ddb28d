#pragma once
// SVG and PNG pictures of the scene, drawn with Qt: the SVG on the page's own units
// (297 x 210 mm), the PNG at 1485 x 1050 pixels (127 dots an inch) with smoothed lines.

#include "plot/screen.h"

namespace vx::plot::qt {

class QtPictureWriter final : public PictureWriter {
  public:
    bool render(const Scene& scene, PictureFormat format, std::string* bytes, std::string* error) override;
};

}  // namespace vx::plot::qt
