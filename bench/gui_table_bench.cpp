// The post-processing window on the offscreen platform: the 100,000 x 64 data record file
// loaded into the window and shown, its resident memory, the column operations with the
// view following them, and the column graph in the Qt plot window.

#include <malloc.h>

#include <QApplication>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "plot/plot_testing.h"
#include "plot/qt/install.h"
#include "postproc/column_ops.h"
#include "postproc/windows/set_file_dialog.h"
#include "shell/defaults.h"
#include "table_bench.h"
#include "ui/scripted_backend.h"

namespace vx::bench {
namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void settle() {
    QApplication::processEvents();
}

}  // namespace

void benchTableWindow() {
    initVAR();
    ScratchDir scratch;
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    writeDataRecordFile();
    vx::postproc::Table& table = vx::postproc::theTable();

    std::vector<double> loads;
    long growth = 0;
    std::unique_ptr<vx::postproc::SetFileDialog> dlg;
    for (int run = 0; run < 3; ++run) {
        dlg.reset();
        table.clear();
        settle();
        malloc_trim(0);
        const long before = residentNowKiB();
        const long peakBefore = peakRssKiB();
        writeDataRecordFile();  // the state as the window finds it
        const double t0 = wallSeconds();
        dlg = std::make_unique<vx::postproc::SetFileDialog>(nullptr, table);
        dlg->show();
        settle();
        loads.push_back(wallSeconds() - t0);
        if (table.rows() != kTableRows || dlg->view()->model()->rowCount() != kTableRows)
            return std::puts("table window: the file did not load"), void();
        // The first run's peak counts: later ones reuse what the allocator kept.
        if (run == 0)
            growth = std::max(residentNowKiB(), peakRssKiB() > peakBefore ? peakRssKiB() : 0L) - before;
    }
    figure("table: load 100,000 x 64 into the window, shown", median(loads) * 1e3, "ms", "< 1 s",
           median(loads) < 1.0);
    figure("table: peak RSS growth, table loaded in the window", double(growth) / 1024, "MB", "< 200 MB",
           growth < 200 * 1024);

    // The operations with the model and the view following the table.
    std::vector<double> swaps, merges, deletes;
    for (int run = 0; run < 5; ++run) {
        selectColumns({20});
        double t0 = wallSeconds();
        swapCol(&table, SelCol, int32_t(InfoSES.nItem));
        settle();
        swaps.push_back(wallSeconds() - t0);
        table.undo();
        settle();
        selectColumns({10, 11});
        t0 = wallSeconds();
        mergeCol(&table, SelCol, int32_t(InfoSES.nItem));
        settle();
        merges.push_back(wallSeconds() - t0);
        table.undo();
        settle();
        selectColumns({30});
        t0 = wallSeconds();
        deleteCol(&table, SelCol);
        settle();
        deletes.push_back(wallSeconds() - t0);
        table.undo();
        settle();
    }
    figure("table: swap a column, window", median(swaps) * 1e3, "ms", "< 200 ms", median(swaps) < 0.2);
    figure("table: merge 2 columns, window", median(merges) * 1e3, "ms", "< 200 ms", median(merges) < 0.2);
    figure("table: delete a column, window", median(deletes) * 1e3, "ms", "< 200 ms", median(deletes) < 0.2);

    // The column graph in the Qt plot window.
    vx::plot::qt::installQtPlotting();
    vx::plot::Screen* qtScreen = vx::plot::registeredScreen();
    std::vector<double> firsts, clicks;
    for (int run = 0; run < 5; ++run) {
        const GraphTimes g = timeColumnGraph(table, qtScreen, settle);
        if (g.result < 0) return std::puts("table window: the column graph read no point"), void();
        firsts.push_back(g.firstPicture);
        clicks.push_back(g.clickRedrawn);
    }
    figure("table: column graph 8 x 100,000, first picture, Qt window", median(firsts) * 1e3, "ms",
           "< 300 ms", median(firsts) < 0.3);
    figure("table: column graph readout click redrawn, Qt window", median(clicks) * 1e3, "ms", "< 50 ms",
           median(clicks) < 0.05);
    dlg.reset();
    table.clear();
    vx::ui::setBackend(nullptr);
}

}  // namespace vx::bench
