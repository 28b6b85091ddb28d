// The real-time graph windows: state, start-up, opening and closing.

#include "graphs/datalogger/realtime_graph.h"

#include <cstdio>

#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"

int32_t Flag_Graph;
float Ymin_def = -50.0f, Ymax_def = 50.0f;
float Dataset[NGRAPH_MAX];

namespace vx::graphs {

int32_t Init_Graph;
int32_t npixel_x;
int32_t Ngraph;
float Xmin, Xmax, Ymin, Ymax;
float ascisse[NPIX_X];
float circ_buf[NGRAPH_MAX][NPIX_X];
float ppix_old[NGRAPH_MAX];
int32_t npix;
int32_t fine_1sch;
float cursx[2], cursy[2];
int32_t Xw_cur, Yw_cur;
float ValoreYold;
int32_t colore[10];
int32_t col_curva[10];

void drawAxes() {
    setclr(colore[3]);
    graf(Xmin, Xmax, Xmin, (Xmax - Xmin) / 10, Ymin, Ymax, Ymin, (Ymax - Ymin) / 10);
    setclr(colore[4]);
    grid(1, 1);
}

void drawChannelLabels() {
    char label[16];
    for (int i = 0; i < Ngraph; ++i) {
        setclr(col_curva[i]);
        std::snprintf(label, sizeof label, "CH%u", unsigned(i + 1));
        messag(label, 20 + 150 * i, 20);
    }
}

namespace {

enum class Kind { Sweeping, Scrolling };

void makeColours() {
    colore[0] = intrgb(0.9f, 0.9f, 0.9f);
    colore[1] = indrgb(0.5f, 0.5f, 0.5f);
    colore[2] = intrgb(1, 1, 1);
    colore[3] = intrgb(0, 0, 0);
    colore[4] = intrgb(0.7f, 0.7f, 0.7f);
    static const float curves[9][3] = {{0, 0, 0},       {0, 1, 0},          {0, 0.5f, 0.5f},
                                       {0.5f, 0, 0.5f}, {0, 0, 1},          {0.5f, 0.5f, 0},
                                       {1, 0, 0},       {0.5f, 0.5f, 0.5f}, {0.85f, 0.85f, 0.85f}};
    for (int i = 0; i < 9; ++i)
        col_curva[i] = intrgb(curves[i][0], curves[i][1], curves[i][2]);
}

void open(Kind kind, const char* caption, int32_t xw, int32_t yw, float kwin, float ymin, float ymax,
          int32_t xpoint, int32_t ngra) {
    if (xpoint < 10 || xpoint > NPIX_X || Init_Graph) return;
    Init_Graph = 1;
    Xw_cur = xw;
    Yw_cur = yw;
    fine_1sch = 0;
    npixel_x = xpoint;
    Ngraph = ngra < 0 ? 0 : ngra > NGRAPH_MAX ? NGRAPH_MAX : ngra;  // the buffers hold 8 channels
    if (kind == Kind::Sweeping) {
        npix = 0;
        for (int k = 0; k < npixel_x; ++k)
            ascisse[k] = float(k);
    } else {
        npix = npixel_x - 1;
        for (int k = 0; k < NPIX_X; ++k)
            ascisse[k] = float(k);
    }
    Xmin = 0;
    Xmax = float(npixel_x - 1);
    Ymin = ymin;
    Ymax = ymax;
    if (kind == Kind::Sweeping) {
        cursy[0] = ymin;
        cursy[1] = ymax;
    }

    const PlotScreenMetrics m = plotScreenMetrics();
    const int width = int(float(m.width) * kwin);
    const int height = int(width * 0.707);
    metafl("XWIN");
    window(xw + m.frameWidth + 2, yw + m.frameHeight + m.captionHeight, width, height);
    setpag("DA4L");
    disini();

    makeColours();
    winmod("NOHOLD");
    wintit(caption);
    setclr(colore[1]);
    pagera();
    pagfll(colore[0]);
    winfnt("Arial Bold");
    axspos(350, 1800);
    axslen(2500, 1550);
    labdig(-1, "x");
    if (kind == Kind::Scrolling) setgrf("ticks", "name", "ticks", "ticks");
    axsbgd(colore[2]);
    drawAxes();
    drawChannelLabels();
    sendbf();
}

}  // namespace
}  // namespace vx::graphs

using namespace vx::graphs;

void Init_Datalogger() {
    Ymax_def = 50.0f;
    Ymin_def = -50.0f;
    Flag_Graph = 0;
}

void Init_Graph1(const char* caption, int32_t xw, int32_t yw, float kwin, float ymin, float ymax,
                 int32_t xpoint, int32_t ngra) {
    open(Kind::Sweeping, caption, xw, yw, kwin, ymin, ymax, xpoint, ngra);
}

void Init_Graph2(const char* caption, int32_t xw, int32_t yw, float kwin, float ymin, float ymax,
                 int32_t xpoint, int32_t ngra) {
    open(Kind::Scrolling, caption, xw, yw, kwin, ymin, ymax, xpoint, ngra);
}

void Close_Graph() {
    Init_Graph = 0;
    disfin();
}
