#pragma once
// Drawing the axis system that graf opened, in the current colour: the background, the
// sides' lines, ticks pointing out of the area (longer at the labels), the labels and
// the names; and the grid lines at the labels.

#include "plot/library.h"

namespace vx::plot {

void drawAxisSystem(Library& l);
// `nx` (`ny`) lines to each label step of the x (y) axis, none on the area's edges.
void drawGrid(Library& l, int nx, int ny);

}  // namespace vx::plot
