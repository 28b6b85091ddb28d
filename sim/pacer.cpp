#include "pacer.h"

#include "device.h"

#include <algorithm>
#include <cstddef>

namespace vx::sim {

LinePacer::LinePacer(uint32_t baud, PaceMode mode) : baud_(baud), mode_(mode) {}

int64_t LinePacer::wireNs(uint64_t n) const {
    if (baud_ == 0) return 0;
    // n * 10 bits / baud seconds, exact to the nanosecond for any realistic n.
    return int64_t(n * 10000000000ull / baud_);
}

int64_t LinePacer::hostWrite(size_t n, int64_t nowNs) {
    bytesIn_ += n;
    int64_t start = std::max(nowNs, inFreeNs_);
    inFreeNs_ = start + wireNs(n);
    return start;
}

void LinePacer::enqueue(const std::vector<uint8_t>& bytes, int64_t earliestNs) {
    if (bytes.empty()) return;
    Segment s;
    s.bytes = bytes;
    s.startNs = std::max(earliestNs, outFreeNs_);
    outFreeNs_ = s.startNs + wireNs(bytes.size());
    segments_.push_back(std::move(s));
}

int64_t LinePacer::arrivalNs(const Segment& s, size_t k) const {
    return s.startNs + wireNs(k + 1);
}

int64_t LinePacer::handOverNs(int64_t arrival) const {
    if (baud_ == 0 || mode_ == PaceMode::Bytewise) return arrival;
    // The next 1 ms frame boundary at or after the arrival.
    int64_t f = arrival / kFrameNs * kFrameNs;
    return f < arrival ? f + kFrameNs : f;
}

int64_t LinePacer::nextDueNs() const {
    if (segments_.empty()) return kNever;
    const Segment& s = segments_.front();
    if (baud_ == 0) return s.startNs;
    return handOverNs(arrivalNs(s, s.sent));
}

size_t LinePacer::take(int64_t nowNs, std::vector<uint8_t>& out) {
    size_t n = 0;
    // In frame mode everything that arrived by the last boundary goes; in byte mode
    // everything that arrived by now.
    int64_t limit = nowNs;
    if (baud_ != 0 && mode_ == PaceMode::Frames) limit = nowNs / kFrameNs * kFrameNs;
    while (!segments_.empty()) {
        Segment& s = segments_.front();
        if (baud_ == 0) {
            if (s.startNs > nowNs) break;
            out.insert(out.end(), s.bytes.begin() + std::ptrdiff_t(s.sent), s.bytes.end());
            n += s.bytes.size() - s.sent;
            segments_.pop_front();
            continue;
        }
        size_t k = s.sent;
        if (wireNs(1) > 0) {
            // Bytes fully arrived by `limit`: the largest m with start + wire(m) <= limit.
            int64_t elapsed = limit - s.startNs;
            size_t m = elapsed <= 0 ? 0 : size_t(uint64_t(elapsed) * baud_ / 10000000000ull);
            while (m < s.bytes.size() && s.startNs + wireNs(m + 1) <= limit)
                ++m;
            while (m > 0 && s.startNs + wireNs(m) > limit)
                --m;
            k = std::max(k, std::min(m, s.bytes.size()));
        }
        out.insert(out.end(), s.bytes.begin() + std::ptrdiff_t(s.sent), s.bytes.begin() + std::ptrdiff_t(k));
        n += k - s.sent;
        s.sent = k;
        if (s.sent < s.bytes.size()) break;
        segments_.pop_front();
    }
    bytesOut_ += n;
    return n;
}

}  // namespace vx::sim
