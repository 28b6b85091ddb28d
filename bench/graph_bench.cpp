// The real-time graphs' figures: samples drawn per second with 8 channels across 2000
// positions, and the memory a long run takes, on the headless screen; then the same
// speed in the Qt window (vendrix-bench-gui graphs, which has the widgets).

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graph_bench.h"
#include "plot/plot_testing.h"

namespace vx::bench {
namespace {

constexpr double kTarget = 500;  // samples per second

void speed(GraphKind kind) {
    openGraph(kind);
    feedGraph(kind, NPIX_X, [] {});  // the first screen and its wrap: the costliest samples follow
    const double rate = feedGraph(kind, 2 * NPIX_X, [] {});
    Close_Graph();
    const std::string name = std::string(graphName(kind)) +
                             " with 8 channels and 2000 positions: samples drawn per second, headless";
    figure(name.c_str(), rate, "1/s", ">= 500", rate >= kTarget);
}

long residentKiB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The highest resident memory from the 5,000th sample to the 100,000th, over that at the
// 5,000th (two full sweeps of the 2,000 positions: the picture then holds all it ever
// holds): a scene that kept what was erased would grow by megabytes. The scene starts
// without storage and the allocator gives its free memory back first, so earlier figures
// cannot hide a growth.
void memory(GraphKind kind) {
    vx::plot::testing::resetPlotting();
    malloc_trim(0);
    openGraph(kind);
    feedGraph(kind, 5000, [] {});
    const long before = residentKiB();
    long peak = before;
    int n = 0;
    feedGraph(kind, 95000, [&] {
        if (++n % 500 == 0) peak = std::max(peak, residentKiB());
    });
    const long growth = peak - before;
    Close_Graph();
    const std::string name = std::string(graphName(kind)) + ", memory over 100,000 samples: peak RSS growth";
    figure(name.c_str(), double(growth), "KiB", "< 1024 KiB", growth < 1024);
}

void inWindow() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path gui = fs::read_symlink("/proc/self/exe", ec).parent_path() / "vendrix-bench-gui";
    if (ec || !fs::exists(gui))
        return void(std::puts("graphs in the Qt window: vendrix-bench-gui not built"));
    std::fflush(stdout);
    std::string cmd = "'";
    cmd.append(gui.string()).append("' graphs");
    if (std::system(cmd.c_str()) != 0) std::puts("graphs in the Qt window: vendrix-bench-gui failed");
}

}  // namespace

void benchGraphs() {
    for (GraphKind kind : {GraphKind::Sweeping, GraphKind::Scrolling})
        speed(kind);
    for (GraphKind kind : {GraphKind::Sweeping, GraphKind::Scrolling})
        memory(kind);
    inWindow();
}

}  // namespace vx::bench
