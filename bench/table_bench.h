#pragma once
// The post-processing table's figures, shared by both bench programs: a data record file
// of 100,000 rows and 64 columns as a download writes it, the program's state set as the
// window's opening sets it, the column graph driven through a screen that clicks, and
// the resident memory.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench_util.h"
#include "graphs/plot_interface.h"
#include "plot/events.h"
#include "plot/screen.h"
#include "postproc/column_graph.h"
#include "postproc/table.h"
#include "postproc/table_access.h"
#include "session/session_state.h"
#include "state/flags.h"

namespace vx::bench {

constexpr int kTableRows = 100000;
constexpr int kTableColumns = 64;
constexpr const char* kTableStart = "240105_143000";  // the file's name and the first row's time

// The resident memory of the process now.
inline long residentNowKiB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A scratch folder made the working directory; removed again at the end.
struct ScratchDir {
    std::filesystem::path dir, old;
    ScratchDir() {
        char tmpl[] = "/tmp/vxbenchtableXXXXXX";
        dir = mkdtemp(tmpl);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::current_path(old, ec);
        std::filesystem::remove_all(dir, ec);
    }
};

// Writes the data record file named kTableStart in the working directory: the sample-time
// line, the quoted names, and rows of blank-separated values, each ending "\r\n"; then
// sets InfoSES, DataTimeSS, Tsample and the rest as the window finds them. Its size in bytes.
inline size_t writeDataRecordFile() {
    std::FILE* f = std::fopen(kTableStart, "wb");
    if (!f) return 0;
    std::fprintf(f, "Time[s]: %u\r\n", 900u);
    // \260 is the degree sign (0xB0); an octal escape stops after three digits, so the C after
    // it stays a letter.
    static const char* const kinds[] = {"Temperature (0.00 \260C)", "Voltage (0.000 V)", "Current (0.00 A)",
                                        "Irradiance (W/m2)"};
    for (int c = 0; c < kTableColumns; ++c)
        std::fprintf(f, "\"CH%d_%d: %s\" ", 1 + c / 8, 1 + c % 8, kinds[c % 4]);
    std::fputs("\r\n", f);
    std::string row;
    char v[32];
    for (int r = 0; r < kTableRows; ++r) {
        row.clear();
        for (int c = 0; c < kTableColumns; ++c) {
            const double x = 40.0 * std::sin(r * 0.001 + c) + (c % 4) * 100.0;
            switch (c % 4) {
                case 0:
                    std::snprintf(v, sizeof v, "%.2f ", x);
                    break;
                case 1:
                    std::snprintf(v, sizeof v, "%.3f ", x / 10);
                    break;
                case 2:
                    std::snprintf(v, sizeof v, "%.2f ", x / 100);
                    break;
                default:
                    std::snprintf(v, sizeof v, "%d ", int(x * 3));
                    break;
            }
            row += v;
        }
        row += "\r\n";
        std::fwrite(row.data(), 1, row.size(), f);
    }
    const long size = std::ftell(f);
    std::fclose(f);
    std::snprintf(DataTimeSS, sizeof DataTimeSS, "%s", kTableStart);
    Tsample = 900;
    FirstTimeMarkerDload = 0;
    InfoSES.nItem = kTableRows;
    InfoSES.nSubItem = kTableColumns;
    Flag.VT71 = 0;
    std::memset(SelCol, 0, sizeof SelCol);
    item_sel_en = 0;
    return size_t(size);
}

inline void selectColumns(std::initializer_list<int> columns) {
    std::memset(SelCol, 0, sizeof SelCol);
    for (int c : columns)
        SelCol[c] = 1, ++SelCol[0];
}

// A screen that forwards to `inner` (none: headless) and, each time the graph waits for the
// user, notes the time, runs `settle` (the window's painting) and posts the next of: a left
// click inside the plot, then Escape.
class ClickingScreen final : public vx::plot::Screen {
  public:
    explicit ClickingScreen(vx::plot::Screen* inner, void (*settle)() = nullptr)
        : inner_(inner), settle_(settle) {}
    double waits[2] = {0, 0};
    int waitCount = 0;

    void open(const vx::plot::WindowRequest& w, const vx::plot::Scene& s) override {
        if (inner_) inner_->open(w, s);
        open_ = true;
    }
    void setTitle(const std::string& t) override {
        if (inner_) inner_->setTitle(t);
    }
    void drawn(const vx::plot::Scene& s, const vx::plot::Primitive& p) override {
        if (inner_) inner_->drawn(s, p);
    }
    void update() override {
        if (inner_) inner_->update();
    }
    void close() override {
        if (inner_) inner_->close();
        open_ = false;
    }
    void setCursorShape(vx::plot::CursorShape c) override {
        if (inner_) inner_->setCursorShape(c);
    }
    void movePointer(int x, int y) override {
        if (inner_) inner_->movePointer(x, y);
    }
    void waitForEvent(int) override {
        if (settle_) settle_();
        if (waitCount < 2) waits[waitCount] = wallSeconds();
        if (waitCount == 0)
            vx::plot::postEvent(PULSANTE_1_MOUSE, 1500, 1200);
        else
            vx::plot::postEvent(27, 0, 0);
        ++waitCount;
    }
    bool isOpen() const override { return inner_ ? inner_->isOpen() : open_; }
    vx::plot::ScreenMetrics metrics() const override {
        return inner_ ? inner_->metrics() : vx::plot::ScreenMetrics{};
    }

  private:
    vx::plot::Screen* inner_;
    void (*settle_)();
    bool open_ = false;
};

struct GraphTimes {
    double firstPicture = 0, clickRedrawn = 0;
    int32_t result = 0;
};

// The column graph of columns 2..9 over every row: the time to its first picture and
// from the click to the picture redrawn with the readout.
inline GraphTimes timeColumnGraph(vx::postproc::Table& table, vx::plot::Screen* inner,
                                  void (*settle)() = nullptr) {
    ClickingScreen screen(inner, settle);
    vx::plot::Screen* before = vx::plot::registeredScreen();
    vx::plot::setScreen(&screen);
    selectColumns({2, 3, 4, 5, 6, 7, 8, 9});
    table.selectAllRows(false);
    GraphTimes g;
    const double t0 = wallSeconds();
    g.result = graphCol(&table, SelCol, int32_t(InfoSES.nItem));
    vx::plot::setScreen(before);
    g.firstPicture = screen.waits[0] - t0;
    g.clickRedrawn = screen.waits[1] - screen.waits[0];
    return g;
}

}  // namespace vx::bench
