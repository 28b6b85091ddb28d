#pragma once
// The module-level state of the real-time graph windows (one graph at a time), shared by
// the opening, the two plot routines and the cursor handling.

#include <cstdint>

#include "graphs/datalogger/realtime_graph.h"

namespace vx::graphs {

extern int32_t Init_Graph;  // 1 while a graph window is open
extern int32_t npixel_x;    // samples across the x axis
extern int32_t Ngraph;      // channels drawn
extern float Xmin, Xmax, Ymin, Ymax;
extern float ascisse[NPIX_X];
extern float circ_buf[NGRAPH_MAX][NPIX_X];
extern float ppix_old[NGRAPH_MAX];  // first sample of a sweep, until the second arrives
extern int32_t npix;                // current sample position
extern int32_t fine_1sch;           // 1 once the first full screen was drawn
extern float cursx[2], cursy[2];    // the vertical cursor line's end points
extern int32_t Xw_cur, Yw_cur;      // window position, reused as plot offsets by the cursor
extern float ValoreYold;            // the previous left-click reading
extern int32_t colore[10];          // page and axis colours
extern int32_t col_curva[10];       // curve colours; [8] the pale previous sweep

// The axes in colore[3] and the grid in colore[4], over the current ranges.
void drawAxes();
// The "CH%u" label of every channel in its curve's colour.
void drawChannelLabels();

}  // namespace vx::graphs
