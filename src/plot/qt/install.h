#pragma once
// Gives the plotting library its screen window and its SVG and PNG writer. The desktop
// program calls it once after creating its application object.

namespace vx::plot::qt {

void installQtPlotting();

}  // namespace vx::plot::qt
