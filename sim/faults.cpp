#include "faults.h"

namespace vx::sim {

bool FaultRule::matches(const std::string& command) const {
    if (on.empty()) return true;
    if (on.back() == '$') return command == on.substr(0, on.size() - 1);
    return command.rfind(on, 0) == 0;
}

FaultyDevice::FaultyDevice(std::unique_ptr<Device> inner, FaultConfig cfg)
    : inner_(std::move(inner)), cfg_(std::move(cfg)), counts_(cfg_.rules.size(), 0), rng_(cfg_.seed) {}

namespace {

// One byte of a text line ("OK\r", "0020\r") changed so that the reply no longer has its
// shape: a hex digit becomes a letter that is none, any other character another one ("OK"
// becomes "XK" or "OX"). A one-byte acknowledgement becomes a byte that is neither 0x00
// nor 0x01. Binary data has no shape to break and passes unchanged (false).
bool garble(std::vector<uint8_t>& b, uint64_t draw) {
    if (b.size() == 1) return b[0] = 0x5A, true;
    if (b.size() < 2 || b.back() != '\r') return false;
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] < 0x20 || b[i] > 0x7E) return false;
    uint8_t& c = b[draw % (b.size() - 1)];
    static const char kNotHex[] = "GHJKMNPQRSTUVWYZ";
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    c = hex ? uint8_t(kNotHex[(draw >> 32) % 16]) : (c == 'X' ? 'Y' : 'X');
    return true;
}

}  // namespace

bool FaultyDevice::hasCommandRules() const {
    for (const FaultRule& r : cfg_.rules)
        if (isCommandFault(r.kind)) return true;
    return false;
}

bool FaultyDevice::arrives(const std::string& command) {
    bool arrives = true;
    for (size_t k = 0; k < cfg_.rules.size(); ++k) {
        const FaultRule& rule = cfg_.rules[k];
        if (!isCommandFault(rule.kind) || !rule.matches(command)) continue;
        uint64_t n = ++counts_[k];
        double u = rng_.unit();
        rng_.next();  // the same two draws as a reply rule
        if (!(rule.nth > 0 ? n == rule.nth : u < rule.probability)) continue;
        if (rule.kind == FaultKind::Reset) resetPending_ = true;
        if (rule.kind == FaultKind::Err) refused_ = command;
        arrives = false;
    }
    if (!arrives && resetPending_) {
        ++stats_.resets;
        refused_.clear();  // a device without power answers nothing
    } else if (!arrives && refused_.empty()) {
        ++stats_.lost;
    }
    return arrives;
}

void FaultyDevice::receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) {
    if (!hasCommandRules()) {
        Output in;
        inner_->receive(data, len, nowNs, in);
        return filter(in, out, false);
    }
    // Byte by byte, so that what follows a reset in the same chunk finds the device deaf.
    for (size_t i = 0; i < len; ++i) {
        if (nowNs < deafUntilNs_) {
            ++stats_.deafBytes;
            continue;
        }
        Output in;
        in.arrives = [this](const std::string& command) { return arrives(command); };
        inner_->receive(data + i, 1, nowNs, in);
        if (!refused_.empty()) {
            Reply r;
            r.bytes = {'E', 'R', 'R', '\r'};
            r.command = std::move(refused_);
            r.inputPos = 1;
            in.replies.push_back(std::move(r));
            refused_.clear();
            ++stats_.errs;
        }
        for (Reply& r : in.replies)
            r.inputPos += i;
        if (resetPending_) {
            resetPending_ = false;
            inner_->restart(nowNs);
            deafUntilNs_ = nowNs + cfg_.resetMs * 1000000;
        }
        filter(in, out, false);
    }
}

int64_t FaultyDevice::nextEventNs() const {
    return vanished_ ? kNever : inner_->nextEventNs();
}

void FaultyDevice::tick(int64_t nowNs, Output& out) {
    Output in;
    inner_->tick(nowNs, in);
    filter(in, out, true);
}

void FaultyDevice::filter(Output& in, Output& out, bool unsolicited) {
    for (Reply& r : in.replies) {
        if (vanished_) break;
        ++stats_.replies;
        bool drop = false, err = false, truncate = false, spoil = false;
        int64_t delayMs = 0;
        uint64_t truncateDraw = 0, garbleDraw = 0;
        for (size_t k = 0; k < cfg_.rules.size(); ++k) {
            const FaultRule& rule = cfg_.rules[k];
            const bool replyRule = !isCommandFault(rule.kind) || (rule.kind == FaultKind::Err && unsolicited);
            if (!replyRule || !rule.matches(r.command)) continue;
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
                case FaultKind::Garble:
                    spoil = true;
                    garbleDraw = extra;
                    break;
                case FaultKind::Lose:
                case FaultKind::Reset:
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
        } else if (spoil && garble(r.bytes, garbleDraw)) {
            ++stats_.garbled;
        }
        if (delayMs > 0) {
            r.delayNs += delayMs * 1000000;
            ++stats_.delayed;
        }
        out.replies.push_back(std::move(r));
    }
}

}  // namespace vx::sim
