#include "bench_util.h"

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

#include "link/com.h"
#include "session/page_access.h"

using namespace vx::session;

namespace vx::bench {

double wallSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double threadCpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

long peakRssKiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

bool SimLink::start(const std::string& settings) {
    vx::sim::Options o;
    std::string err;
    if (!vx::sim::parseSimSettings(settings, o, err)) return std::fprintf(stderr, "%s\n", err.c_str()), false;
    auto dev = vx::sim::makeDevice(o, err, &session);
    if (!dev) return std::fprintf(stderr, "%s\n", err.c_str()), false;
    vx::sim::PtyServerConfig cfg;
    cfg.baud = o.baud;
    cfg.mode = o.mode;
    server = std::make_unique<vx::sim::PtyServer>(std::move(dev), cfg);
    if (!server->start(&err)) return std::fprintf(stderr, "%s\n", err.c_str()), false;
    hCom = openPort(server->path().c_str());
    if (!hCom) return false;
    setCommPort(server->path().c_str());
    initCOM(hCom);
    Timeout_rx = TO_RX_SLOW;
    if (test_hCom(hCom) != 1) return std::fprintf(stderr, "no identification\n"), false;
    choosePageReadingMode();
    return true;
}

SimLink::~SimLink() {
    closePort(hCom);
    hCom = nullptr;
    if (server) server->stop();
}

void figure(const char* name, double value, const char* unit, const char* target, bool met) {
    std::printf("%-58s %12.4f %-6s target %-12s %s\n", name, value, unit, target, met ? "met" : "NOT MET");
    std::fflush(stdout);
}

}  // namespace vx::bench
