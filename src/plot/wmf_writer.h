#pragma once
// The scene as a placeable Windows metafile: the 22-byte placeable header (page of
// 2970 x 2100 logical units at 254 units an inch, i.e. tenths of a millimetre), the
// standard header, and records for the window extent, pens, brushes and fonts created,
// selected and deleted as the primitives need them, rectangles, polylines and texts
// (bytes as they are, Windows-1252), ending with META_EOF. docs/plotting.md lists them.

#include <string>

#include "plot/scene.h"

namespace vx::plot {

std::string wmfBytes(const Scene& scene);

}  // namespace vx::plot
