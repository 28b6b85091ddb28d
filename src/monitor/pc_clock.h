#pragma once
// The PC's calendar clock as the monitor reads it (export rows, packet times). Tests and
// benchmarks put their own clock in its place.

#include <ctime>
#include <functional>

namespace vx::monitor {

using PcClock = std::function<std::time_t()>;

// Replaces the clock; null puts the system clock back.
void setPcClock(PcClock clock);
// The current PC time in whole seconds since 1970.
std::time_t pcNow();

}  // namespace vx::monitor
