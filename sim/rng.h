#pragma once
// Small deterministic random source for the simulator. The standard distributions differ
// between library implementations, so every draw here is plain integer arithmetic: the
// same seed gives the same session and the same faults on every compiler.

#include <cstdint>

namespace vx::sim {

class Rng {
  public:
    explicit Rng(uint64_t seed = 0) : state_(seed) {}

    // splitmix64: good enough spread for test data, one 64-bit word of state.
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n == 0 gives 0.
    uint64_t below(uint64_t n) { return n == 0 ? 0 : next() % n; }

    // Uniform in [lo, hi] (inclusive).
    int64_t range(int64_t lo, int64_t hi) {
        if (hi <= lo) return lo;
        return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo) + 1));
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    // True with probability p.
    bool chance(double p) { return unit() < p; }

  private:
    uint64_t state_;
};

// A stateless hash of several words, for values that must not depend on draw order
// (sample values are a function of seed, node, channel and time).
inline uint64_t mixHash(uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0) {
    Rng r(a * 0x100000001B3ull ^ (b + 0x9E3779B97F4A7C15ull));
    uint64_t h = r.next() ^ (c * 0xC2B2AE3D27D4EB4Full);
    Rng r2(h ^ (d * 0x165667B19E3779F9ull));
    return r2.next();
}

}  // namespace vx::sim
