#include "modem_device.h"

#include <algorithm>

namespace vx::sim {

ModemDevice::ModemDevice(ModemConfig cfg, std::unique_ptr<Device> remote)
    : cfg_(cfg), remote_(std::move(remote)) {}

bool ModemDevice::isConnectCode(int code) {
    return code == 1 || code == 5 || code >= 9;
}

void ModemDevice::receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) {
    if (state_ != State::Online) return LineDevice::receive(data, len, nowNs, out);

    // On line: pass everything to the far end except a "+++" escape. '+' bytes are held
    // until it is clear whether they form the escape.
    auto forward = [&](const uint8_t* bytes, size_t n, size_t endPos) {
        if (!remote_ || n == 0) return;
        Output inner;
        remote_->receive(bytes, n, nowNs, inner);
        for (Reply& r : inner.replies) {
            // The far end counts its own input; the line only knows where the chunk ended.
            r.inputPos = endPos;
            out.replies.push_back(std::move(r));
        }
    };
    static const uint8_t kPlus[3] = {'+', '+', '+'};
    size_t from = 0;
    for (size_t i = 0; i < len; ++i) {
        if (data[i] != '+') {
            if (plusRun_ > 0) forward(kPlus, size_t(plusRun_), i);
            plusRun_ = 0;
            continue;
        }
        forward(data + from, i - from, i);
        from = i + 1;
        if (++plusRun_ < 3) continue;
        plusRun_ = 0;
        state_ = State::Command;
        splitter_.reset();
        out.inputPos = i + 1;
        out.command = "+++";
        out.line("0");
        out.command.clear();
        // Anything after the escape is a command to the modem.
        Output rest;
        LineDevice::receive(data + i + 1, len - i - 1, nowNs, rest);
        for (Reply& r : rest.replies) {
            r.inputPos += i + 1;
            out.replies.push_back(std::move(r));
        }
        return;
    }
    forward(data + from, len - from, len);
}

int64_t ModemDevice::nextEventNs() const {
    int64_t t = state_ == State::Dialling ? dialDueNs_ : kNever;
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
        return;
    }
    if (state_ == State::Online && remote_) remote_->tick(nowNs, out);
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
