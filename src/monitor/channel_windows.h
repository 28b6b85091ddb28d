#pragma once
// The channel value windows (dialog 1300) without their widgets: which selection entry
// each window shows, where it stands, and when values reach it.

#include <cstdint>
#include <string>

namespace vx::monitor {

// What window `slot` shows: caption "CH%u_%u: %s" (address, channel number, quantity
// name) and the unit.
struct ChannelWindowText {
    std::string caption;
    std::string unit;
};
ChannelWindowText channelWindowText(int slot);

struct ScreenPoint {
    int32_t x, y;
};
// Where window `slot` goes when it is created as the `creationNumber`-th window (from 0):
// its remembered place, or on its first use x = 0, y = 100 x creationNumber (then
// remembered).
ScreenPoint placeChannelWindow(int slot, int creationNumber);
// The user moved window `slot` to (x, y): the place rounded down to multiples of 20 in x
// and y, remembered; the window is put there.
ScreenPoint channelWindowMoved(int slot, int32_t x, int32_t y);
// The remembered places are forgotten (the monitor closes).
void forgetChannelWindowPlaces();
// Start-up state (initVAR): no window receives values, no place remembered.
void resetChannelWindows();

}  // namespace vx::monitor

// Moves the used selection slots to the front in their order, and from then on the
// entries 0..ncsel-1 receive values (the windows create one window per entry).
void open_datawindows();
// No entry receives values any more; an open graph is closed (Flag_Graph 0).
void close_datawindows();
bool datawindowsOpen();
