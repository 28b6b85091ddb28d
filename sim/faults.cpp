#include "faults.h"

namespace vx::sim {

bool FaultRule::matches(const std::string& command) const {
    if (on.empty()) return true;
    if (on.back() == '$') return command == on.substr(0, on.size() - 1);
    return command.rfind(on, 0) == 0;
}

FaultyDevice::FaultyDevice(std::unique_ptr<Device> inner, FaultConfig cfg)
    : inner_(std::move(inner)), cfg_(std::move(cfg)), counts_(cfg_.rules.size(), 0), rng_(cfg_.seed) {}

void FaultyDevice::receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) {
    Output in;
    inner_->receive(data, len, nowNs, in);
    filter(in, out);
}

int64_t FaultyDevice::nextEventNs() const {
    return vanished_ ? kNever : inner_->nextEventNs();
}

void FaultyDevice::tick(int64_t nowNs, Output& out) {
    Output in;
    inner_->tick(nowNs, in);
    filter(in, out);
}

void FaultyDevice::filter(Output& in, Output& out) {
    for (Reply& r : in.replies) {
        if (vanished_) break;
        ++stats_.replies;
        bool drop = false, err = false, truncate = false;
        int64_t delayMs = 0;
        uint64_t truncateDraw = 0;
        for (size_t k = 0; k < cfg_.rules.size(); ++k) {
            const FaultRule& rule = cfg_.rules[k];
            if (!rule.matches(r.command)) continue;
            uint64_t n = ++counts_[k];
            double u = rng_.unit();
            uint64_t extra = rng_.next();
            bool fire = rule.nth > 0 ? n == rule.nth : u < rule.probability;
            if (!fire) continue;
            switch (rule.kind) {
                case FaultKind::Drop:
                    drop = true;
                    break;
                case FaultKind::Err:
                    err = true;
                    break;
                case FaultKind::Truncate:
                    truncate = true;
                    truncateDraw = extra;
                    break;
                case FaultKind::Delay:
                    delayMs += rule.delayMs;
                    break;
                case FaultKind::Vanish:
                    vanished_ = true;
                    break;
            }
        }
        if (vanished_ || drop) {
            if (drop && !vanished_) ++stats_.dropped;
            continue;
        }
        if (err) {
            r.bytes = {'E', 'R', 'R', '\r'};
            ++stats_.errs;
        } else if (truncate) {
            if (r.bytes.size() <= 1) {
                ++stats_.dropped;
                continue;
            }
            r.bytes.resize(1 + truncateDraw % (r.bytes.size() - 1));
            ++stats_.truncated;
        }
        if (delayMs > 0) {
            r.delayNs += delayMs * 1000000;
            ++stats_.delayed;
        }
        out.replies.push_back(std::move(r));
    }
}

}  // namespace vx::sim
