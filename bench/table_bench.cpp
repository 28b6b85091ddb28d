// The post-processing table's figures without widgets: loading 100,000 rows of 64 columns,
// the column operations, saving both formats, the table's memory, the column graph on the
// headless screen, and the quick-mode conversion of a whole flash image. The window's own
// figures come from vendrix-bench-gui table.

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plot/plot_testing.h"
#include "postproc/column_ops.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "quick/quick_session.h"
#include "session/download.h"
#include "shell/defaults.h"
#include "sim/session.h"
#include "table_bench.h"
#include "ui/scripted_backend.h"

namespace vx::bench {
namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchTableCore() {
    ScratchDir scratch;
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    writeDataRecordFile();
    vx::postproc::Table& table = vx::postproc::theTable();
    TableHandle t = &table;

    // Loading, several times (the last load stays for the operations).
    std::vector<double> loads;
    malloc_trim(0);
    const long before = residentNowKiB();
    long after = before;
    for (int run = 0; run < 3; ++run) {
        table.clear();
        malloc_trim(0);
        const double t0 = wallSeconds();
        const int32_t ok = loadLV(t, DataTimeSS);
        loads.push_back(wallSeconds() - t0);
        if (ok != 1 || table.rows() != kTableRows || table.columns() != kTableColumns + 2)
            return std::puts("table: the data record file did not load"), void();
        after = std::max(after, residentNowKiB());
    }
    figure("table: load 100,000 x 64 data record file, core (loadLV)", median(loads) * 1e3, "ms", "-", true);
    figure("table: resident memory of the loaded table, core", double(after - before) / 1024, "MB",
           "< 200 MB", after - before < 200 * 1024);
    figure("table: table's own storage (memoryBytes)", double(table.memoryBytes()) / 1048576, "MB", "-",
           true);

    // The column operations, each undone again between the runs.
    std::vector<double> swaps, merges, deletes;
    for (int run = 0; run < 5; ++run) {
        selectColumns({20});
        double t0 = wallSeconds();
        swapCol(t, SelCol, int32_t(InfoSES.nItem));
        swaps.push_back(wallSeconds() - t0);
        table.undo();
        selectColumns({10, 11});
        t0 = wallSeconds();
        mergeCol(t, SelCol, int32_t(InfoSES.nItem));
        merges.push_back(wallSeconds() - t0);
        table.undo();
        selectColumns({30});
        t0 = wallSeconds();
        deleteCol(t, SelCol);
        deletes.push_back(wallSeconds() - t0);
        table.undo();
    }
    figure("table: swap a column, core", median(swaps) * 1e3, "ms", "< 200 ms", median(swaps) < 0.2);
    figure("table: merge 2 columns, core", median(merges) * 1e3, "ms", "< 200 ms", median(merges) < 0.2);
    figure("table: delete a column, core", median(deletes) * 1e3, "ms", "< 200 ms", median(deletes) < 0.2);

    // Saving, through the file dialog of the scripted backend.
    for (int32_t format : {FORMAT_A, FORMAT_B}) {
        std::vector<double> saves;
        const std::string name =
            (scratch.dir / (format == FORMAT_A ? "saved_a.txt" : "saved_b.txt")).string();
        for (int run = 0; run < 3; ++run) {
            Flag.file_format = format;
            Flag.comma = format == FORMAT_B ? 1 : 0;
            ui.chooseFile(name);
            const double t0 = wallSeconds();
            const int32_t ok = saveFile2(t, "bench", InfoSES);
            saves.push_back(wallSeconds() - t0);
            if (ok != 1) return std::puts("table: saving failed"), void();
        }
        const std::string label = std::string("table: save format ") + (format == FORMAT_A ? "A" : "B") +
                                  " (" + std::to_string(std::filesystem::file_size(name) / 1048576) + " MB)";
        figure(label.c_str(), median(saves) * 1e3, "ms", "< 1 s", median(saves) < 1.0);
    }

    // The column graph on the headless screen.
    std::vector<double> firsts, clicks;
    for (int run = 0; run < 5; ++run) {
        vx::plot::testing::resetPlotting();
        const GraphTimes g = timeColumnGraph(table, nullptr);
        if (g.result < 0) return std::puts("table: the column graph read no point"), void();
        firsts.push_back(g.firstPicture);
        clicks.push_back(g.clickRedrawn);
    }
    figure("table: column graph 8 x 100,000, first picture, headless", median(firsts) * 1e3, "ms", "< 300 ms",
           median(firsts) < 0.3);
    figure("table: column graph readout click redrawn, headless", median(clicks) * 1e3, "ms", "< 50 ms",
           median(clicks) < 0.05);
    vx::plot::testing::resetPlotting();
    table.clear();
    vx::ui::setBackend(nullptr);
}

// A session that went round the whole memory (4095 data pages), its image and the dump
// indexing it; converted into its data record file as quick mode does.
void benchQuickConversion() {
    ScratchDir scratch;
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    initVAR();
    vx::sim::SessionParams p;
    p.seed = 7;
    p.nodes = 4;
    p.maxChannels = 6;
    p.satmr = 60;
    p.wrapped = true;
    p.tmpBytes = 0;
    vx::sim::Session s;
    std::string err;
    if (!vx::sim::generateSession(p, s, err)) return std::printf("quick: %s\n", err.c_str()), void();
    {
        std::ofstream img(IMAGE_FILE, std::ios::binary);
        img.write(reinterpret_cast<const char*>(s.flash.data()), std::streamsize(s.flash.size()));
        std::ofstream dump(DUMP_FILE, std::ios::binary);
        dump << "Tabelle di assegnazione valide rilevate ***\r\n\r\n";
        for (int pg = 0; pg < vx::sim::kPageCount; ++pg) {
            const uint8_t* b = s.page(pg);
            if (b[0] != 0xFF || (b[2] | b[3] << 8) > 528) continue;
            char line[64];
            std::snprintf(line, sizeof line, "Page...0x%04X %02x%02x%02x_%02x%02x%02x %u\r\n", unsigned(pg),
                          b[13], b[12], b[11], b[10], b[9], b[8], unsigned(b[1]));
            dump << line;
        }
        dump << "\r\nInformazioni ***\r\n\r\nFW release...............20\r\n";
    }
    std::vector<double> times;
    size_t outBytes = 0;
    for (int run = 0; run < 3; ++run) {
        ui.chooseFile(std::string(DUMP_FILE));
        if (vx::quick::loadTable(nullptr) != 1) return std::puts("quick: the dump was not read"), void();
        char page[5];
        std::snprintf(page, sizeof page, "%04X", unsigned(s.pageTab));
        int chosen = -1;
        for (int i = 0; i < vx::quick::IndTab; ++i)
            if (std::string(vx::quick::Table[i].pagetab) == page) chosen = i;
        if (chosen < 0) return std::puts("quick: session not in the index"), void();
        vx::quick::chooseSession(chosen, nullptr);
        vx::quick::openPageViewer(PAGE_FIRST);
        vx::quick::viewerPage(vx::sim::nextPage(s.pageLast));
        vx::quick::afterPageViewer(nullptr, false);
        if (TotalPagNum != 4095) std::printf("quick: %u data pages, not 4095\n", unsigned(TotalPagNum));
        Tsample = 60;
        const double t0 = wallSeconds();
        const int32_t ok = saveFileBin(nullptr, "quick.out");
        times.push_back(wallSeconds() - t0);
        if (ok != 1) return std::puts("quick: the conversion failed"), void();
        outBytes = std::filesystem::file_size("quick.out");
    }
    const double rate = double(vx::quick::kImageSize) / median(times) / 1e6;
    std::printf("quick: %zu bytes written, %u rows, %.1f ms\n", outBytes, unsigned(InfoSES.nItem),
                median(times) * 1e3);
    figure("quick mode: full image (4095 data pages) converted", rate, "MB/s", ">= 100 MB/s", rate >= 100);
    vx::ui::setBackend(nullptr);
}

void inWindow() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path gui = fs::read_symlink("/proc/self/exe", ec).parent_path() / "vendrix-bench-gui";
    if (ec || !fs::exists(gui)) return void(std::puts("table in the window: vendrix-bench-gui not built"));
    std::fflush(stdout);
    std::string cmd = "'";
    cmd.append(gui.string()).append("' table");
    if (std::system(cmd.c_str()) != 0) std::puts("table in the window: vendrix-bench-gui failed");
}

}  // namespace

void benchTable() {
    initVAR();
    benchTableCore();
    benchQuickConversion();
    inWindow();
}

}  // namespace vx::bench
