#pragma once
// The events of the screen window, queued in the core: the window (or a test) posts key
// presses and mouse clicks with the cursor position in page coordinates; csrpos takes
// them in order. A full queue drops new events (the user is far ahead of the program).

#include <cstdint>

namespace vx::plot {

struct Event {
    int32_t code = 0;  // the codes of csrpos (graphs/plot_interface.h)
    int x = 0, y = 0;
};

void postEvent(int32_t code, int x, int y);
void setPointer(int x, int y);  // the mouse moved over the page
bool takeEvent(Event* e);
bool eventPending();
void clearEvents();
void pointer(int* x, int* y);

}  // namespace vx::plot
