#include "plot/events.h"

namespace vx::plot {
namespace {

constexpr int kQueueSize = 64;
Event queue[kQueueSize];
int head = 0, count = 0;
int pointerX = 0, pointerY = 0;

}  // namespace

void postEvent(int32_t code, int x, int y) {
    pointerX = x;
    pointerY = y;
    if (count == kQueueSize) return;
    queue[(head + count) % kQueueSize] = {code, x, y};
    ++count;
}

void setPointer(int x, int y) {
    pointerX = x;
    pointerY = y;
}

bool takeEvent(Event* e) {
    if (count == 0) return false;
    *e = queue[head];
    head = (head + 1) % kQueueSize;
    --count;
    return true;
}

bool eventPending() {
    return count > 0;
}

void clearEvents() {
    head = count = 0;
}

void pointer(int* x, int* y) {
    *x = pointerX;
    *y = pointerY;
}

}  // namespace vx::plot
