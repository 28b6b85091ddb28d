// The column graph of the post-processing table, drawn through the plotting interface.

#include "postproc/column_graph.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "graphs/plot_interface.h"
#include "session/calendar.h"
#include "session/session_state.h"
#include "ui/backend.h"

int32_t spessore = 1;

namespace vx::postproc {

GraphRange graphRange(float largest, float smallest, float x0, float xLast) {
    // Whole numbers a tenth beyond the values; the products are taken in double precision
    // and truncated toward zero, as the widening rule asks.
    GraphRange r{};
    const double big = largest, small = smallest;
    r.top = big >= 0 ? int32_t(10 * 1.1 * big) / 10 + 1 : int32_t(10 * 0.9 * big) / 10;
    r.bottom = small >= 0 ? int32_t(10 * 0.9 * small) / 10 : int32_t(10 * 1.1 * small) / 10 - 1;
    r.xStep = (int32_t(2 * (xLast - x0)) + 5) / 10;
    r.yStep = (int32_t(2 * (r.top - r.bottom)) + 5) / 10;
    if (r.xStep < 1) r.xStep = 1;
    if (r.yStep < 1) r.yStep = 1;
    return r;
}

namespace {

constexpr int kLegendChars = 80;
constexpr int kLegendLine = 101;  // bytes a legend line takes in the buffer
constexpr int kTextMax = 100;
const char* const kTitle =
    "Graphic preview (mouse left-click to display x-y, f to save graph on file, Esc or mouse right-click to "
    "exit)";

// Everything one graph needs, released when it closes.
struct ColumnGraph {
    TableHandle table = nullptr;
    std::vector<int32_t> columns;  // the selected columns, in index order
    int32_t firstRow = 0, rows = 0;
    float x0 = 0, xLast = 0;
    std::vector<float> values;  // (columns + 1) blocks of `rows`: x, then each curve
    std::vector<char> legend;
    GraphRange range{};
    int32_t page = 0, border = 0, white = 0, black = 0, grey = 0;
    char yText[kTextMax + 1] = "", xText[kTextMax + 1] = "";
    int markX = 0, markY = 0;
    bool saveRequested = false;

    int n() const { return int(columns.size()); }
    const float* block(int b) const { return values.data() + size_t(b) * size_t(rows); }
    int axisTop() const { return 33 * n() + 217; }
    int axisHeight() const { return 1683 - 33 * n(); }
};

int32_t itemNumber(TableHandle t, int32_t row) {
    char buf[LV_TEXT_MAX + 1];
    if (!getCell(t, buf, row, 0)) return 0;
    return int32_t(std::strtol(buf, nullptr, 10));
}

// The rows between the first and the last selected row, or all of them.
void chooseRows(ColumnGraph& g, int32_t nitem) {
    g.firstRow = 0;
    int32_t last = nitem - 1;
    int32_t first = -1;
    for (int32_t r = 0; r < nitem; ++r)
        if (rowSelected(g.table, r)) {
            first = r;
            break;
        }
    if (first >= 0 && first < nitem - 1) {
        int32_t lastSelected = -1;
        for (int32_t r = nitem - 1; r > first; --r)
            if (rowSelected(g.table, r)) {
                lastSelected = r;
                break;
            }
        if (lastSelected > first) g.firstRow = first, last = lastSelected;
    }
    g.rows = nitem > 0 ? last - g.firstRow + 1 : 0;
    g.x0 = float(itemNumber(g.table, g.firstRow));
    g.xLast = float(itemNumber(g.table, last));
}

// The legend line of a column: its header, with the degree sign shown as '*'.
void legendLine(TableHandle t, int32_t column, char* line) {
    char header[LV_TEXT_MAX + 1];
    getHeader(t, header, column);
    std::snprintf(line, kLegendLine, "%.80s", header);
    for (int i = 0; line[i] && i < kLegendChars; ++i)
        if (static_cast<unsigned char>(line[i]) == 0xB0) line[i] = '*';
}

tempo sessionStart() {
    auto two = [](int at) { return uint32_t((DataTimeSS[at] - '0') * 10 + (DataTimeSS[at + 1] - '0')); };
    return tempo{two(0), two(2), two(4), two(7), two(9), two(11)};
}

// The calendar time `seconds` after t, in steps the tenths counter of timeAdj can hold.
tempo addSeconds(tempo t, uint64_t seconds) {
    constexpr uint64_t kStep = 100u * 86400u;  // a hundred days
    while (seconds > kStep) {
        t = timeAdj(t, uint32_t(kStep * 10));
        seconds -= kStep;
    }
    return timeAdj(t, uint32_t(seconds * 10));
}

void drawCurves(const ColumnGraph& g) {
    chncrv("COLOR");
    clrcyc(1, 0);
    thkcrv(spessore);
    for (int c = 1; c <= g.n(); ++c)
        curve(g.block(0), g.block(c), g.rows);
}

void drawReadout(const ColumnGraph& g) {
    recfll(1500, 20, 1300, 150, g.page);
    color("red");
    height(36);
    messag(g.yText, 1500, 30);
    messag(g.xText, 1500, 80);
    messag("x", g.markX, g.markY);
}

// The file the picture is saved to, with its output by the extension; nullopt: none.
std::optional<std::string> askPictureFile() {
    vx::ui::FileDialogOptions o;
    o.filters = {{"Graphic Image (*.wmf)", "*.wmf"},
                 {"SVG Image (*.svg)", "*.svg"},
                 {"PNG Image (*.png)", "*.png"},
                 {"All Files (*.*)", "*.*"}};
    o.defaultExt = "wmf";
    o.askOverwrite = true;
    return vx::ui::backend().saveFileName(nullptr, o);
}

const char* outputFor(const std::string& file) {
    const size_t dot = file.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : file.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == "svg" ? "SVG" : ext == "png" ? "PNG" : "WMF";
}

// The page, the axes, the curves, the legend and the readout: the picture itself, on the
// output metafl chose.
void drawPage(ColumnGraph& g) {
    // No window() call: the library's window is two thirds of the screen's width, in the
    // page's ratio, centred on the screen.
    setpag("DA4L");
    disini();
    winmod("NOHOLD");
    winkey("ESCAPE");
    wintit(kTitle);
    g.page = intrgb(1, 1, 0.6f);
    g.border = indrgb(0.5f, 0.5f, 0.5f);
    g.white = intrgb(1, 1, 1);
    g.black = intrgb(0, 0, 0);
    g.grey = intrgb(0.7f, 0.7f, 0.7f);
    setclr(g.border);
    pagera();
    pagfll(g.page);
    winfnt("Arial Bold");

    axspos(300, 1900);
    axslen(2500, g.axisHeight());
    name("Item", "x");
    hname(50);
    labdig(-1, "x");
    ticks(10, "x");
    ticks(10, "y");
    axsbgd(g.white);
    setclr(g.black);
    graf(g.x0, g.xLast, g.x0, float(g.range.xStep), float(g.range.bottom), float(g.range.top),
         float(g.range.bottom), float(g.range.yStep));
    setclr(g.grey);
    grid(1, 1);
    drawCurves(g);

    height(22);
    setclr(g.black);
    legini(g.legend.data(), g.n(), kLegendChars);
    legpos(300, 50);
    char line[kLegendLine];
    for (int c = 0; c < g.n(); ++c) {
        legendLine(g.table, g.columns[size_t(c)], line);
        leglin(g.legend.data(), line, c + 1);
    }
    legtit("Graph legend");
    legend(g.legend.data(), 1);
    if (g.yText[0] || g.xText[0]) drawReadout(g);
    sendbf();
}

// Opens the output and draws the whole graph; a requested picture file is written first
// and the screen drawn again after it.
void draw(ColumnGraph& g) {
    metafl("XWIN");
    bool toFile = false;
    if (g.saveRequested) {
        g.saveRequested = false;
        if (std::optional<std::string> file = askPictureFile()) {
            metafl(outputFor(*file));
            setfil(file->c_str());
            filmod("DELETE");
            vx::ui::backend().beep();
            toFile = true;
        }
    }
    drawPage(g);
    if (toFile) {
        disfin();  // the picture file is complete
        draw(g);
    }
}

void clearReadout(ColumnGraph& g) {
    recfll(1500, 20, 1300, 150, g.page);
    g.yText[0] = g.xText[0] = 0;
}

// The columns and rows to plot, their values and the axis ranges; false when there is
// nothing to plot or no memory for it.
bool prepareGraph(ColumnGraph& g, TableHandle t, int32_t* selcol, int32_t nitem) {
    g.table = t;
    const int32_t columns = tableColumns(t);
    for (int32_t c = 2; c <= SELCOL_LAST && c < columns; ++c)
        if (selcol[c] == 1) g.columns.push_back(c);
    if (nitem > tableRows(t)) nitem = tableRows(t);
    chooseRows(g, nitem);
    if (g.columns.empty() || g.rows <= 0) return false;
    try {
        g.values.assign(size_t(g.n() + 1) * size_t(g.rows), 0.0f);
        g.legend.assign(size_t(kLegendLine) * size_t(g.n()), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }

    float* xs = g.values.data();
    for (int32_t r = 0; r < g.rows; ++r)
        xs[r] = g.x0 + float(r);
    float largest = -100000, smallest = 100000;
    for (int c = 0; c < g.n(); ++c) {
        float* ys = g.values.data() + size_t(c + 1) * size_t(g.rows);
        for (int32_t r = 0; r < g.rows; ++r) {
            int32_t precision = 0;
            const float v = strLV_num(t, g.firstRow + r, g.columns[size_t(c)], &precision);
            ys[r] = v;
            if (v > largest) largest = v;
            if (v < smallest) smallest = v;
        }
    }
    g.range = graphRange(largest, smallest, g.x0, g.xLast);

    return true;
}

}  // namespace
}  // namespace vx::postproc

int32_t graphCol(TableHandle t, int32_t* selcol, int32_t nitem) {
    using namespace vx::postproc;
    if (!t || !selcol) return -2;
    ColumnGraph g;
    if (!prepareGraph(g, t, selcol, nitem)) return -2;
    draw(g);
    const tempo start = sessionStart();
    csrmod("read", "pos");
    int32_t result = -1;
    for (;;) {
        int px = 0, py = 0;
        const int32_t event = csrpos(&px, &py);
        if (event == 27 || event == PULSANTE_2_MOUSE) break;
        recfll(301, 33 * g.n() + 221, 2498, 1679 - 33 * g.n(), g.white);
        setclr(g.grey);
        grid(1, 1);
        resatt();
        if (event == '+' && spessore <= 10) ++spessore;
        if (event == '-' && spessore > 1) --spessore;
        drawCurves(g);
        if (event == 'f') {
            g.saveRequested = true;
            disfin();
            draw(g);
            csrmod("read", "pos");
            continue;
        }
        const bool inside = px >= 300 && px <= 2800 && py >= g.axisTop() && py <= 1900;
        setcsr(inside ? "cross" : "arrow");
        if (event == PULSANTE_1_MOUSE && inside) {
            clearReadout(g);
            const float span = float(g.range.top - g.range.bottom);
            const float y = float(g.range.top) - float(py - g.axisTop()) * span / float(g.axisHeight());
            std::snprintf(g.yText, sizeof g.yText, "%s= %.2f", "Y Value ", double(y));
            const float x = float(px - 300) * (g.xLast - g.x0) / 2500 + g.x0;
            const int32_t k = int32_t(std::floor(x + 0.5f));
            // The item's time: the first record's, then Tsample seconds a row.
            const uint64_t seconds = FirstTimeMarkerDload / 10 + uint64_t(k > 0 ? k - 1 : 0) * Tsample;
            const tempo when = addSeconds(start, seconds);
            std::snprintf(g.xText, sizeof g.xText, "%s= %u (%02u%02u%02u_%02u%02u%02u)", "X Value",
                          unsigned(k), unsigned(when.anno % 100), unsigned(when.mese), unsigned(when.giorno),
                          unsigned(when.ora), unsigned(when.minuto), unsigned(when.secondo));
            g.markX = px - 13;
            g.markY = py - 22;
            drawReadout(g);
            // The row of item k among the rows plotted (consecutive item numbers).
            int32_t row = g.firstRow + (k - int32_t(g.x0));
            if (row < g.firstRow) row = g.firstRow;
            if (row > g.firstRow + g.rows - 1) row = g.firstRow + g.rows - 1;
            result = row;
        } else if (event == PULSANTE_1_MOUSE) {
            clearReadout(g);
        }
        sendbf();
    }
    disfin();
    return result;
}

int32_t graphColToFile(TableHandle t, int32_t* selcol, int32_t nitem, const char* path) {
    using namespace vx::postproc;
    if (!t || !selcol || !path) return -2;
    ColumnGraph g;
    if (!prepareGraph(g, t, selcol, nitem)) return -2;
    metafl(outputFor(path));
    setfil(path);
    filmod("DELETE");
    drawPage(g);
    disfin();  // the picture file is complete
    return 0;
}
