#pragma once
// Fault injection: a wrapper around any device that spoils some of its replies, chosen by
// a seeded random draw or by count, so a failing test repeats exactly.
//
// Each rule looks at the replies whose command matches its filter (all replies when the
// filter is empty) and numbers them 1, 2, 3, ... A rule fires on the Nth matching reply
// (nth > 0), or else with its probability on each one. One random draw is made per rule
// and matching reply whether or not it fires, so the draws do not depend on outcomes.

#include "device.h"
#include "rng.h"

#include <memory>
#include <string>
#include <vector>

namespace vx::sim {

enum class FaultKind {
    Drop,      // the reply is not sent
    Delay,     // the reply is sent delayMs late
    Truncate,  // only a leading part of the reply is sent (at least one byte missing)
    Err,       // "ERR\r" is sent instead of the reply
    Vanish,    // this and every later reply are not sent: the device is gone
};

struct FaultRule {
    FaultKind kind = FaultKind::Drop;
    double probability = 0.0;
    uint64_t nth = 0;     // 1-based; 0 = use probability
    int64_t delayMs = 0;  // for Delay
    // Command filter: a prefix of the command text without its CR ("ATRD" matches
    // "ATRD" and "ATRD8005"); a trailing '$' asks for the exact text ("ATRD$").
    std::string on;

    bool matches(const std::string& command) const;
};

struct FaultConfig {
    uint64_t seed = 1;
    std::vector<FaultRule> rules;
    bool empty() const { return rules.empty(); }
};

class FaultyDevice : public Device {
  public:
    FaultyDevice(std::unique_ptr<Device> inner, FaultConfig cfg);

    void receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) override;
    int64_t nextEventNs() const override;
    void tick(int64_t nowNs, Output& out) override;
    bool vanished() const override { return vanished_; }

    Device& inner() { return *inner_; }
    // What happened so far, for tests and the program's log.
    struct Stats {
        uint64_t replies = 0, dropped = 0, delayed = 0, truncated = 0, errs = 0;
    };
    const Stats& stats() const { return stats_; }

  private:
    void filter(Output& in, Output& out);

    std::unique_ptr<Device> inner_;
    FaultConfig cfg_;
    std::vector<uint64_t> counts_;
    Rng rng_;
    bool vanished_ = false;
    Stats stats_;
};

}  // namespace vx::sim
