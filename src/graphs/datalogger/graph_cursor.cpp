// The keys and clicks of a real-time graph window: the arrow keys pan and zoom the y
// axis (the range is kept for the next graph), a left click reads a y value and its
// difference from the previous reading.

#include <cstdio>

#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"

using namespace vx::graphs;

namespace {

void newRange(float ymin, float ymax) {
    Ymin = ymin;
    Ymax = ymax;
    Ymax_def = Ymax;
    Ymin_def = Ymin;
    cursy[0] = Ymin;
    cursy[1] = Ymax;
    endgrf();
    pagfll(colore[0]);
    drawAxes();
    drawChannelLabels();
    sendbf();
}

void zoom(bool out) {
    const float c = (Ymin + Ymax) / 2, h = out ? (Ymax - Ymin) / 2 * 1.3f : (Ymax - Ymin) / 2 / 1.3f;
    newRange(c - h, c + h);
}

void readout(int py) {
    char text[64];
    recfll(Xw_cur, Yw_cur + 1950, 750, 100, colore[0]);
    const float y = Ymax - float(py - (Yw_cur + 250)) * (Ymax - Ymin) / 1550;
    setclr(col_curva[6]);
    std::snprintf(text, sizeof text, "         Y = %.2f", double(y));
    messag(text, Xw_cur, Yw_cur + 1950);
    std::snprintf(text, sizeof text, "Delta Y = %.2f", double(ValoreYold - y));
    messag(text, Xw_cur, Yw_cur + 2010);
    ValoreYold = y;
}

}  // namespace

int32_t Gest_Curs() {
    if (!Init_Graph) return 0;
    csrmod("get", "pos");
    int px = 0, py = 0;
    const int32_t event = csrpos(&px, &py);
    const bool inside = px >= Xw_cur + 40 && px <= Xw_cur + 2540 && py >= Yw_cur + 250 && py <= Yw_cur + 1800;
    setcsr(inside ? "cross" : "arrow");

    const float d = (Ymax - Ymin) / 10;
    switch (event) {
        case 0:
            return 0;
        case FRECCIA_DOWN_KEY:
            newRange(Ymin + d, Ymax + d);
            return event;
        case FRECCIA_UP_KEY:
            newRange(Ymin - d, Ymax - d);
            return event;
        case FRECCIA_LEFT_KEY:
            zoom(true);
            return event;
        case FRECCIA_RIGHT_KEY:
            zoom(false);
            return event;
        case PULSANTE_1_MOUSE:
            if (inside) readout(py);
            return event;
        default:
            return event;
    }
}
