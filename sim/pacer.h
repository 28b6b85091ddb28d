#pragma once
// Timing of a serial line at a given baud rate (10 bit times per byte: start, 8 data,
// stop), both ways, as pure arithmetic on nanosecond times:
//
// - host to device: the host's bytes reach the pseudo-terminal at once, but on a real line
//   they take their wire time; a command is complete only when its last byte would have
//   arrived, and a later write queues behind an earlier one;
// - device to host: a reply starts no earlier than the command it answers is complete
//   (plus any extra delay) and no earlier than the previous reply has left; byte k of a
//   reply has arrived (k + 1) byte times after the reply starts;
// - delivery: Frames (default) hands over, at each 1 ms boundary, every byte that has
//   fully arrived by then, as a USB serial adapter does; Bytewise hands over each byte at
//   its own arrival time.
//
// With baud 0 the line is unpaced: everything is due at once (extra delays still apply).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace vx::sim {

enum class PaceMode { Frames, Bytewise };

class LinePacer {
  public:
    static constexpr int64_t kFrameNs = 1000000;

    LinePacer(uint32_t baud = 0, PaceMode mode = PaceMode::Frames);

    uint32_t baud() const { return baud_; }
    PaceMode mode() const { return mode_; }
    // Wire time of n bytes in nanoseconds (0 when unpaced).
    int64_t wireNs(uint64_t n) const;

    // The host wrote n bytes at nowNs; returns the time their first bit is on the line.
    // A command ending at byte pos (1-based) of the chunk is complete at
    // start + wireNs(pos).
    int64_t hostWrite(size_t n, int64_t nowNs);

    // Queues reply bytes that may not start before earliestNs.
    void enqueue(const std::vector<uint8_t>& bytes, int64_t earliestNs);

    // The next time take() will have bytes to hand over (kNever when nothing is queued).
    int64_t nextDueNs() const;
    // Appends every byte due at nowNs to out; returns how many.
    size_t take(int64_t nowNs, std::vector<uint8_t>& out);

    bool empty() const { return segments_.empty(); }
    uint64_t bytesIn() const { return bytesIn_; }
    uint64_t bytesOut() const { return bytesOut_; }

  private:
    struct Segment {
        std::vector<uint8_t> bytes;
        int64_t startNs = 0;
        size_t sent = 0;
    };
    int64_t arrivalNs(const Segment& s, size_t k) const;  // byte k fully arrived
    int64_t handOverNs(int64_t arrival) const;

    uint32_t baud_;
    PaceMode mode_;
    int64_t inFreeNs_ = 0;
    int64_t outFreeNs_ = 0;
    std::deque<Segment> segments_;
    uint64_t bytesIn_ = 0;
    uint64_t bytesOut_ = 0;
};

}  // namespace vx::sim
