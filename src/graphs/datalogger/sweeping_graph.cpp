// The sweeping graph: a red cursor runs across a fixed time axis; each sweep draws over
// the previous one, which stays as a pale shadow until the cursor passes.

#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"

using namespace vx::graphs;

void Plot_Graph1(const float* data) {
    if (!Init_Graph) return;
    setclr(colore[2]);
    if (fine_1sch == 1 && npix > 0)
        for (int i = 0; i < Ngraph; ++i)
            curve(&ascisse[npix - 1], &circ_buf[i][npix - 1], 2);

    // Erase the previous cursor, then mend the grid it crossed.
    cursx[0] = cursx[1] = float(npix) + Xmin;
    curve(cursx, cursy, 2);
    setclr(colore[4]);
    grid(1, 1);

    for (int i = 0; i < Ngraph; ++i) {
        if (npix == 0) {
            ppix_old[i] = data[i];
            continue;
        }
        if (npix == 1) circ_buf[i][0] = ppix_old[i];
        circ_buf[i][npix] = data[i];
        setclr(col_curva[i]);
        curve(ascisse, circ_buf[i], npix + 1);
    }

    setclr(col_curva[6]);
    cursx[0] = cursx[1] = npix == npixel_x - 1 ? Xmin : float(npix + 1) + Xmin;
    curve(cursx, cursy, 2);

    if (++npix == npixel_x) {
        // The sweep wrapped: the x axis counts on, and the sweep just drawn stays pale.
        fine_1sch = 1;
        npix = 0;
        for (int k = 0; k < npixel_x; ++k)
            ascisse[k] += float(npixel_x);
        Xmin += float(npixel_x);
        Xmax += float(npixel_x);
        endgrf();
        pagfll(colore[0]);
        drawAxes();
        setclr(col_curva[8]);
        for (int i = 0; i < Ngraph; ++i)
            curve(ascisse, circ_buf[i], npixel_x);
    }
    sendbf();
}
