// The plotting interface: the cursor and the window's events.

#include "graphs/plot_interface.h"
#include "plot/events.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/recording.h"

using namespace vx::plot;

void csrmod(const char* mode, const char* what) {
    record("csrmod", {}, {mode, what});
    int m = keywordIndex(mode, {"STAN", "SET ", "READ", "GET "});
    if (m < 0 || keywordIndex(what, {"POS "}) < 0) return warn("csrmod", "unknown mode");
    lib().cursorMode = CursorMode(m);
}

// GET returns at once with the oldest pending event (0 if none) and the cursor position.
// READ waits for the next event, STAN for the next click or the closing key; while the
// window waits it keeps working. With no window open (or once the user closed it) there
// is no one to wait for: the answer is the closing key, Escape unless winkey chose Return.
int32_t csrpos(int* x, int* y) {
    Library& l = lib();
    record("csrpos", {l.cursorMode == CursorMode::Set && x && y ? double(*x) : 0.0,
                      l.cursorMode == CursorMode::Set && x && y ? double(*y) : 0.0});
    if (!x || !y || !l.open) return 0;
    Screen* s = l.onScreen ? registeredScreen() : nullptr;
    const int32_t closing = l.closingKey ? l.closingKey : 27;
    Event e;
    switch (l.cursorMode) {
        case CursorMode::Set:
            setPointer(*x, *y);
            if (s) s->movePointer(*x, *y);
            return 0;
        case CursorMode::Get:
            if (takeEvent(&e)) return *x = e.x, *y = e.y, e.code;
            pointer(x, y);
            return 0;
        case CursorMode::Read:
        case CursorMode::Standard:
            for (;;) {
                while (takeEvent(&e)) {
                    const bool wanted = l.cursorMode == CursorMode::Read || e.code == PULSANTE_1_MOUSE ||
                                        e.code == PULSANTE_2_MOUSE || e.code == closing;
                    if (wanted) return *x = e.x, *y = e.y, e.code;
                }
                if (!s || !s->isOpen()) {
                    pointer(x, y);
                    return closing;
                }
                s->waitForEvent(-1);
            }
    }
    return 0;
}

void setcsr(const char* shape) {
    record("setcsr", {}, {shape});
    int i = keywordIndex(shape, {"CROS", "ARRO", "VARR"});
    if (i < 0) return warn("setcsr", "unknown cursor");
    static const CursorShape shapes[] = {CursorShape::Cross, CursorShape::Arrow, CursorShape::UpArrow};
    if (lib().onScreen) registeredScreen()->setCursorShape(shapes[i]);
}
