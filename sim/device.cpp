#include "device.h"

#include <cstdio>

namespace vx::sim {

void Output::line(std::string_view text) {
    std::vector<uint8_t> b(text.begin(), text.end());
    b.push_back('\r');
    raw(std::move(b));
}

void Output::raw(const uint8_t* data, size_t len) {
    raw(std::vector<uint8_t>(data, data + len));
}

void Output::raw(std::vector<uint8_t> bytes) {
    Reply r;
    r.bytes = std::move(bytes);
    push(std::move(r));
}

void Output::push(Reply r) {
    r.inputPos = inputPos;
    if (r.command.empty()) r.command = command;
    replies.push_back(std::move(r));
}

bool CommandSplitter::feed(uint8_t b, std::string& command) {
    if (b == '\n') return false;
    if (b == '\r') {
        command.swap(buf_);
        buf_.clear();
        return true;
    }
    buf_.push_back(static_cast<char>(b));
    if (buf_ == "***") {
        command.swap(buf_);
        buf_.clear();
        return true;
    }
    if (buf_.size() > kMaxLine) buf_.clear();
    return false;
}

void LineDevice::receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) {
    std::string cmd;
    for (size_t i = 0; i < len; ++i) {
        out.inputPos = i + 1;
        if (rawByte(data[i], nowNs, out)) continue;
        if (!splitter_.feed(data[i], cmd)) continue;
        if (!out.arrived(cmd)) continue;
        out.command = cmd;
        onCommand(cmd, nowNs, out);
        out.command.clear();
    }
}

void BootLoaderDevice::onCommand(const std::string& cmd, int64_t, Output& out) {
    if (cmd == "***") {
        const uint8_t reply[2] = {version_, 0xB0};
        out.raw(reply, 2);
    }
}

bool parseHex(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    uint32_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        v = v << 4 | uint32_t(d);
    }
    value = v;
    return true;
}

std::string hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02X", v & 0xFFu);
    return b;
}

std::string hex4(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", v & 0xFFFFu);
    return b;
}

}  // namespace vx::sim
