#pragma once
// The packet lines a logger forwards in monitor mode (between "ATCM07" and "ATCM08"):
// "ATUC" data, "ATBC" broadcast and "ATNA" test lines of the session's nodes at a set
// rate, with set shares of unknown nodes, wrong channel counts and lower-case hex.
//
// While the host is sending commands the stream holds: no line starts within `holdMs`
// of a command, so a reply is not preceded by packet lines the logger had not yet sent
// when the command arrived; the lines that would have fallen in a hold are not made.

#include "device.h"
#include "rng.h"
#include "session.h"

#include <cstdint>
#include <string>

namespace vx::sim {

struct MonitorConfig {
    double rate = 20;         // lines per second (0: none)
    double unknown = 0;       // share of data lines from an address outside the session
    double badCount = 0;      // share of data lines of a session node with too many samples
    double lower = 0;         // share of lines written with lower-case hex digits
    double broadcast = 0.05;  // share of "ATBC" lines
    double test = 0.01;       // share of "ATNA" lines
    int64_t holdMs = 250;
};

// Lines made so far, by kind (a fault wrapper may still drop some on the way).
struct MonitorCounts {
    uint64_t lines = 0, data = 0, broadcast = 0, test = 0;
    uint64_t unknown = 0, badCount = 0, lower = 0;
    uint64_t sessionData() const { return data - unknown - badCount; }
};

class MonitorStream {
  public:
    MonitorStream(MonitorConfig cfg, uint64_t seed) : cfg_(cfg), rng_(seed ^ 0x6D6F6E69746F72ull) {}

    void start(int64_t nowNs);  // "ATCM07"
    void stop() { on_ = false; }
    bool on() const { return on_; }
    // A command arrived: the stream holds for holdMs.
    void command(int64_t nowNs);
    // The SaTmr every node reports from now on (0: each its own).
    void setSatmr(uint16_t seconds) { satmr_ = seconds; }

    int64_t nextEventNs() const;
    // Every line due by nowNs, one reply each (its command is the line's first four
    // characters, so fault rules can pick a kind: "drop-on=ATUC").
    void tick(const Session& s, int64_t nowNs, Output& out);

    const MonitorCounts& counts() const { return counts_; }

  private:
    int64_t dueNs(uint64_t k) const;
    std::string makeLine(const Session& s, int64_t nowNs);

    MonitorConfig cfg_;
    Rng rng_;
    bool on_ = false;
    int64_t baseNs_ = 0;  // line k of the current run is due at baseNs_ + k / rate
    uint64_t index_ = 0;
    uint16_t satmr_ = 0;
    MonitorCounts counts_;
};

}  // namespace vx::sim
