#pragma once
// What the monitor tells the windows that follow it. Every hook may be empty.

#include <functional>

namespace vx::monitor {

struct MonitorHooks {
    // A new value of selection entry `slot` (0..ncsel-1, while the channel windows are
    // open): its adj_value text and number. Dataset[slot] already holds the number; the
    // open graph is drawn right after the call.
    std::function<void(int slot, const char* text, float value)> channelValue;
    // An export row was written while the channel selection is open: the elapsed time
    // text for ID_TXT_SELCHEXPT ("%u %02u:%02u:%02u").
    std::function<void(const char* elapsed)> exportElapsed;
    // The export ended by itself (its file could not be written): Start shows again.
    std::function<void()> exportStopped;
};

void setMonitorHooks(MonitorHooks hooks);
const MonitorHooks& monitorHooks();

}  // namespace vx::monitor
