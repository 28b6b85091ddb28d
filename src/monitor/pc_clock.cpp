#include "monitor/pc_clock.h"

namespace vx::monitor {
namespace {
PcClock gClock;
}

void setPcClock(PcClock clock) {
    gClock = std::move(clock);
}

std::time_t pcNow() {
    return gClock ? gClock() : std::time(nullptr);
}

}  // namespace vx::monitor
