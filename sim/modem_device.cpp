#include "modem_device.h"

#include <algorithm>

namespace vx::sim {

ModemDevice::ModemDevice(ModemConfig cfg, std::unique_ptr<Device> remote)
    : cfg_(cfg), remote_(std::move(remote)) {}

bool ModemDevice::isConnectCode(int code) {
    return code == 1 || code == 5 || code >= 9;
}

// The bytes gathered for the far end go out; its replies come back over the line.
void ModemDevice::forward(size_t endPos, int64_t nowNs, Output& out) {
    if (pass_.empty()) return;
    if (remote_) {
        Output inner;
        remote_->receive(pass_.data(), pass_.size(), nowNs, inner);
        for (Reply& r : inner.replies) {
            // The far end counts its own input; the line only knows where the chunk ended.
            r.inputPos = endPos;
            r.delayNs += cfg_.lineDelayMs * 1000000;
            out.replies.push_back(std::move(r));
        }
    }
    pass_.clear();
}

void ModemDevice::escape(Output& out) {
    state_ = State::Command;
    escapeDueNs_ = kNever;
    plusRun_ = 0;
    pass_.clear();
    splitter_.reset();
    out.command = "+++";
    out.line("0");
    out.command.clear();
}

void ModemDevice::receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) {
    if (state_ != State::Online) return LineDevice::receive(data, len, nowNs, out);

    // On line: everything goes to the far end except the escape, three '+' with a pause of
    // the guard time before and after them. '+' bytes that may be the escape are held.
    const int64_t guardNs = cfg_.guardMs * 1000000;
    for (size_t i = 0; i < len; ++i) {
        const uint8_t b = data[i];
        if (plusRun_ > 0 && (b != '+' || plusRun_ == 3)) {
            // Not the escape after all: the held '+' are data.
            pass_.insert(pass_.end(), size_t(plusRun_), uint8_t('+'));
            plusRun_ = 0;
            escapeDueNs_ = kNever;
        }
        if (b == '+' && (plusRun_ > 0 || nowNs - lastRxNs_ >= guardNs)) {
            forward(i, nowNs, out);
            lastRxNs_ = nowNs;
            if (++plusRun_ < 3) continue;
            if (guardNs > 0) {
                escapeDueNs_ = nowNs + guardNs;
                continue;
            }
            out.inputPos = i + 1;
            escape(out);
            // Anything after the escape is a command to the modem.
            Output rest;
            LineDevice::receive(data + i + 1, len - i - 1, nowNs, rest);
            for (Reply& r : rest.replies) {
                r.inputPos += i + 1;
                out.replies.push_back(std::move(r));
            }
            return;
        }
        pass_.push_back(b);
        lastRxNs_ = nowNs;
    }
    forward(len, nowNs, out);
}

int64_t ModemDevice::nextEventNs() const {
    int64_t t = state_ == State::Dialling ? dialDueNs_ : kNever;
    if (state_ == State::Online) t = std::min(t, escapeDueNs_);
    if (state_ == State::Online && remote_) t = std::min(t, remote_->nextEventNs());
    return t;
}

void ModemDevice::tick(int64_t nowNs, Output& out) {
    if (state_ == State::Dialling && nowNs >= dialDueNs_) {
        dialDueNs_ = kNever;
        state_ = isConnectCode(cfg_.resultCode) ? State::Online : State::Command;
        out.command = "ATDT" + number_;
        out.line(std::to_string(cfg_.resultCode));
        out.command.clear();
        splitter_.reset();
        plusRun_ = 0;
        escapeDueNs_ = kNever;
        lastRxNs_ = nowNs;
        return;
    }
    if (state_ == State::Online && nowNs >= escapeDueNs_) return escape(out);
    if (state_ == State::Online && remote_) {
        Output inner;
        remote_->tick(nowNs, inner);
        for (Reply& r : inner.replies) {
            r.delayNs += cfg_.lineDelayMs * 1000000;
            out.replies.push_back(std::move(r));
        }
    }
}

void ModemDevice::onCommand(const std::string& cmd, int64_t nowNs, Output& out) {
    if (cmd.rfind("AT", 0) != 0) return;  // not a modem command: ignored
    if (state_ == State::Dialling) {
        // Any command while dialling abandons the call, as a real modem does.
        state_ = State::Command;
        dialDueNs_ = kNever;
        return out.line("0");
    }
    if (cmd.rfind("ATDT", 0) == 0 || cmd.rfind("ATD", 0) == 0) {
        number_ = cmd.substr(cmd.rfind("ATDT", 0) == 0 ? 4 : 3);
        state_ = State::Dialling;
        dialDueNs_ = nowNs + cfg_.dialDelayMs * 1000000;
        return;
    }
    out.line("0");
}

}  // namespace vx::sim
