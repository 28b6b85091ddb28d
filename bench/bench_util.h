#pragma once
// Shared pieces of the benchmarks: clocks, a simulated device on a pty, the program
// connected to it.

#include <cstdint>
#include <memory>
#include <string>

#include "sim/options.h"
#include "sim/pty_server.h"

namespace vx::bench {

double wallSeconds();
double threadCpuSeconds();  // CPU time of the calling thread (the program's side)
long peakRssKiB();

struct SimLink {
    std::shared_ptr<const vx::sim::Session> session;
    std::unique_ptr<vx::sim::PtyServer> server;
    bool start(const std::string& settings);  // device served, program connected and identified
    ~SimLink();
};

// Prints one figure line: name, value, unit, target and whether it is met.
void figure(const char* name, double value, const char* unit, const char* target, bool met);

}  // namespace vx::bench
