#pragma once
// What every exchange with a board shares: a failed exchange is tried again, and one-byte
// answers are two hex digits.

#include <cstdint>

#include "link/transaction.h"

namespace vx::boards {

constexpr int kBoardAttempts = 3;

// Runs a whole exchange again while it fails, up to three times, unless the port itself is
// gone: a fresh attempt cannot help then.
template <class Step>
bool withRetries(Step step) {
    for (int a = 0; a < kBoardAttempts; ++a) {
        if (step()) return true;
        const vx::link::TxError e = vx::link::lastTransaction().error;
        if (e == vx::link::TxError::NoPort || e == vx::link::TxError::PortGone) return false;
    }
    return false;
}

// A hex digit of either case, -1 for anything else.
inline int hexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Two hex digits into *out; false (and *out untouched) when either is not one.
inline bool hexPair(const uint8_t* p, uint8_t* out) {
    const int h = hexDigit(p[0]), l = hexDigit(p[1]);
    if (h < 0 || l < 0) return false;
    *out = uint8_t(h << 4 | l);
    return true;
}

}  // namespace vx::boards
