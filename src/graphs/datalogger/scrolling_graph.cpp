// The scrolling graph: the newest sample enters at the right edge and the curves move to
// the left; until the buffer has filled, only the positions holding samples are drawn.

#include <cstring>

#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"

using namespace vx::graphs;

void Plot_Graph2(const float* data) {
    if (!Init_Graph) return;
    setclr(colore[2]);
    for (int i = 0; i < Ngraph; ++i)
        curve(ascisse, circ_buf[i], npixel_x);
    setclr(colore[4]);
    grid(1, 1);

    for (int i = 0; i < Ngraph; ++i) {
        std::memmove(&circ_buf[i][0], &circ_buf[i][1], sizeof(float) * size_t(npixel_x - 1));
        circ_buf[i][npixel_x - 1] = data[i];
    }

    if (fine_1sch == 1) {
        for (int i = 0; i < Ngraph; ++i) {
            setclr(col_curva[i]);
            curve(ascisse, circ_buf[i], npixel_x);
        }
    } else if (npix < npixel_x - 1) {
        for (int i = 0; i < Ngraph; ++i) {
            setclr(col_curva[i]);
            curve(&ascisse[npix], &circ_buf[i][npix], npixel_x - npix);
        }
    }

    if (--npix < 1) {
        fine_1sch = 1;
        npix = 0;
    }
    sendbf();
}
