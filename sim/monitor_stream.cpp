#include "monitor_stream.h"

#include <algorithm>

namespace vx::sim {

namespace {

constexpr int64_t kMsNs = 1000000;
constexpr uint64_t kMaxLinesPerTick = 100000;

void lowerHex(std::string& line) {
    for (size_t i = 4; i < line.size(); ++i)
        if (line[i] >= 'A' && line[i] <= 'F') line[i] = char(line[i] - 'A' + 'a');
}

}  // namespace

void MonitorStream::start(int64_t nowNs) {
    on_ = true;
    command(nowNs);
}

void MonitorStream::command(int64_t nowNs) {
    if (!on_) return;
    int64_t holdEnd = nowNs + cfg_.holdMs * kMsNs;
    if (dueNs(index_) < holdEnd) {
        baseNs_ = holdEnd;
        index_ = 0;
    }
}

int64_t MonitorStream::dueNs(uint64_t k) const {
    if (cfg_.rate <= 0) return kNever;
    return baseNs_ + int64_t(double(k) * 1e9 / cfg_.rate);
}

int64_t MonitorStream::nextEventNs() const {
    if (!on_ || cfg_.rate <= 0) return kNever;
    // Lines go out at whole milliseconds, several at once at high rates.
    int64_t t = dueNs(index_);
    return (t + kMsNs - 1) / kMsNs * kMsNs;
}

void MonitorStream::tick(const Session& s, int64_t nowNs, Output& out) {
    if (!on_ || s.nodes.empty()) return;
    for (uint64_t n = 0; n < kMaxLinesPerTick && dueNs(index_) <= nowNs; ++n, ++index_) {
        std::string line = makeLine(s, dueNs(index_));
        Reply r;
        r.command = line.substr(0, 4);
        r.bytes.assign(line.begin(), line.end());
        r.bytes.push_back('\r');
        out.push(std::move(r));
        ++counts_.lines;
    }
}

std::string MonitorStream::makeLine(const Session& s, int64_t atNs) {
    const Node& node = s.nodes[rng_.below(s.nodes.size())];
    const uint32_t tm = uint32_t(atNs / 100000000);  // tenths of a second
    const double u = rng_.unit();
    std::string line;
    if (u < cfg_.broadcast) {
        line = "ATBC" + hex2(node.addr) + hex2(unsigned(node.chanu())) + hex4(satmr_ ? satmr_ : node.satmr);
        for (uint16_t c : node.conf)
            line += hex4(c);
        line += hex4(node.vbat);
        ++counts_.broadcast;
    } else if (u < cfg_.broadcast + cfg_.test) {
        line = "ATNA" + hex2(node.addr) + "OK";
        ++counts_.test;
    } else {
        uint8_t addr = node.addr;
        int samples = node.chanu();
        if (rng_.chance(cfg_.unknown)) {
            do
                addr = uint8_t(rng_.range(1, 254));
            while (s.findNode(addr));
            samples = int(rng_.range(1, 6));
            ++counts_.unknown;
        } else if (rng_.chance(cfg_.badCount)) {
            samples = std::min(node.chanu() + 1 + int(rng_.below(2)), kMaxChannels);
            if (samples == node.chanu()) samples = node.chanu() - 1;
            ++counts_.badCount;
        }
        line = "ATUC" + hex2(addr);
        for (int c = 0; c < samples; ++c)
            line += hex4(c < node.chanu() && addr == node.addr ? sampleWord(s.params.seed, node, c, tm)
                                                               : unsigned(rng_.next()));
        line += hex4(unsigned(int(rng_.range(-100, 400)) & 0xFFFF));  // board temperature, 0.1 degC
        line += hex4(unsigned(node.vbat + rng_.range(-5, 5)));
        ++counts_.data;
    }
    if (rng_.chance(cfg_.lower)) {
        lowerHex(line);
        ++counts_.lower;
    }
    return line;
}

}  // namespace vx::sim
