// The real-time graphs drawn into the Qt plot window on the offscreen platform: samples
// per second with the window repainted after every sample, as the monitor's event loop
// would repaint it at most.

#include <QApplication>
#include <string>

#include "graph_bench.h"
#include "plot/qt/install.h"

namespace vx::bench {

void benchGraphWindow() {
    vx::plot::qt::installQtPlotting();
    for (GraphKind kind : {GraphKind::Sweeping, GraphKind::Scrolling}) {
        auto repaint = [] { QApplication::processEvents(); };
        openGraph(kind);
        feedGraph(kind, NPIX_X, repaint);
        const double rate = feedGraph(kind, NPIX_X, repaint);
        Close_Graph();
        const std::string name = std::string(graphName(kind)) +
                                 " with 8 channels and 2000 positions: samples drawn per second, Qt window";
        figure(name.c_str(), rate, "1/s", ">= 500", rate >= 500);
    }
}

}  // namespace vx::bench
