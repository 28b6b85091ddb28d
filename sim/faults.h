#pragma once
// Fault injection: a wrapper around any device that loses some of the host's commands or
// spoils some of its replies, chosen by a seeded random draw or by count, so a failing test
// repeats exactly.
//
// A reply rule looks at the replies whose command matches its filter (all replies when the
// filter is empty), a command rule (Lose, Reset, Err) at the commands and binary packets as
// they arrive; each numbers what it sees 1, 2, 3, ... and fires on the Nth (nth > 0), or else
// with its probability on each one. One random draw is made per rule and matching reply or
// command whether or not it fires, so the draws do not depend on outcomes.

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
    Err,       // the device refuses the command: it does not act on it and answers "ERR\r"
               // (a line it sends by itself, in monitor mode, becomes "ERR\r")
    Vanish,    // this and every later reply are not sent: the device is gone
    Lose,      // the command never reaches the device: it neither acts on it nor answers
    Reset,     // the device restarts instead of acting on the command, deaf for resetMs
    Garble,    // one byte of a text reply turned into one that breaks its shape
};

// True for the rules that act on commands as they arrive (Err also on the lines the device
// sends by itself).
inline bool isCommandFault(FaultKind k) {
    return k == FaultKind::Lose || k == FaultKind::Reset || k == FaultKind::Err;
}

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
    int64_t resetMs = 1500;  // Reset: the device hears nothing this long, like a board's reboot
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
        uint64_t lost = 0, resets = 0, garbled = 0, deafBytes = 0;
    };
    const Stats& stats() const { return stats_; }

  private:
    void filter(Output& in, Output& out, bool unsolicited);
    bool arrives(const std::string& command);
    bool hasCommandRules() const;

    std::unique_ptr<Device> inner_;
    FaultConfig cfg_;
    std::vector<uint64_t> counts_;
    Rng rng_;
    bool vanished_ = false;
    bool resetPending_ = false;
    std::string refused_;  // the command an Err rule refused, to be answered "ERR"
    int64_t deafUntilNs_ = -1;
    Stats stats_;
};

}  // namespace vx::sim
