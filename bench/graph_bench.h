#pragma once
// The real-time graphs driven as the monitor drives them, for the graph figures of both
// bench programs (headless here, in the Qt window in vendrix-bench-gui).

#include <cmath>

#include "bench_util.h"
#include "graphs/datalogger/realtime_graph.h"
#include "graphs/plot_interface.h"

namespace vx::bench {

enum class GraphKind { Sweeping, Scrolling };

inline void openGraph(GraphKind kind) {
    (kind == GraphKind::Sweeping ? Init_Graph1 : Init_Graph2)("Bench", 319, 0, 0.7f, -50, 50, NPIX_X,
                                                              NGRAPH_MAX);
}

// Feeds `samples` samples of 8 channels (waves within the y range); `between` runs after
// each. Returns the samples drawn per second.
template <class Between>
double feedGraph(GraphKind kind, int samples, Between&& between) {
    float data[NGRAPH_MAX];
    const double t0 = wallSeconds();
    for (int s = 0; s < samples; ++s) {
        for (int i = 0; i < NGRAPH_MAX; ++i)
            data[i] = 40.0f * std::sin(float(s) * 0.01f + float(i));
        (kind == GraphKind::Sweeping ? Plot_Graph1 : Plot_Graph2)(data);
        between();
    }
    return samples / (wallSeconds() - t0);
}

inline const char* graphName(GraphKind kind) {
    return kind == GraphKind::Sweeping ? "Plot_Graph1" : "Plot_Graph2";
}

}  // namespace vx::bench
