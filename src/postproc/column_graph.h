#pragma once
// The column graph: the selected columns of the table plotted against the item number
// (over the rows between the first and last selected row when two or more are selected),
// with a readout of Y and of X with its calendar time on a left click, + and - for the
// curve thickness, f to save the picture (a metafile, or SVG or PNG by the extension
// chosen), Escape or a right click to close.

#include <cstdint>

#include "postproc/table_access.h"

// The row of the last point read (0 or more), -1 when none was read, -2 when no graph
// could be shown (no column selected, no rows, no memory).
int32_t graphCol(TableHandle t, int32_t* selcol, int32_t nitem);

// The same picture without a window, straight into the file `path`: a Windows metafile,
// or SVG or PNG by the extension (as the picture saved with f; those two need the picture
// writer of the desktop program's plotting). An existing file is replaced. -2 as
// graphCol; else 0 once the plotting library has ended the picture (it warns when the
// file could not be written and then leaves any older file as it was).
int32_t graphColToFile(TableHandle t, int32_t* selcol, int32_t nitem, const char* path);

// The curve thickness, 1 to 11, kept from graph to graph (1 at start-up).
extern int32_t spessore;

namespace vx::postproc {

// The y axis widened to whole numbers round the values, and the label steps.
struct GraphRange {
    int32_t top, bottom;
    int32_t xStep, yStep;
};
GraphRange graphRange(float largest, float smallest, float x0, float xLast);

}  // namespace vx::postproc
