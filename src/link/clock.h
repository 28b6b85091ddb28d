#pragma once
// Millisecond clock and sleeping, shared by the time-outs and the procedures that wait.

#include <cstdint>

namespace vx::link {

uint64_t nowMs();  // monotonic milliseconds
uint64_t nowUs();  // monotonic microseconds
void sleepMs(uint32_t ms);

}  // namespace vx::link
