// The plotting interface: output, window and the start and end of plotting.

#include <chrono>

#include "graphs/plot_interface.h"
#include "plot/events.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/output_file.h"
#include "plot/recording.h"

using namespace vx::plot;

namespace {

// Without a window() call the window takes two thirds of the screen's width, centred.
WindowRequest windowFor(const Library& l) {
    if (l.windowGiven) return l.window;
    const ScreenMetrics m = screenMetrics();
    WindowRequest w = l.window;
    w.width = m.width * 2 / 3;
    w.height = w.width * kPageHeight / kPageWidth;
    w.x = (m.width - w.width) / 2;
    w.y = (m.height - w.height) / 2;
    return w;
}

// What disfin waits for on the screen before closing the window.
void holdWindow(const Library& l, Screen& s) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (s.isOpen() && l.hold != Hold::NoHold) {
        int wait = -1;
        if (l.hold == Hold::Delay) {
            wait = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            if (wait <= 0) return;
        }
        s.waitForEvent(wait);
        for (Event e; takeEvent(&e);)
            if (l.hold == Hold::AnyEvent || (l.closingKey && e.code == l.closingKey)) return;
    }
}

}  // namespace

void metafl(const char* device) {
    record("metafl", {}, {device});
    int i = keywordIndex(device, {"XWIN", "WMF ", "SVG ", "PNG "});
    if (i < 0) return warn("metafl", "unknown output");
    lib().output = Output(i);
}

void setfil(const char* file) {
    record("setfil", {}, {file});
    lib().file = file ? file : "";
}

void filmod(const char* mode) {
    record("filmod", {}, {mode});
    int i = keywordIndex(mode, {"DELE", "NEW "});
    if (i < 0) return warn("filmod", "unknown mode");
    lib().replaceFile = i == 0;
}

void window(int x, int y, int width, int height) {
    record("window", {double(x), double(y), double(width), double(height)});
    Library& l = lib();
    if (width <= 0 || height <= 0) return warn("window", "a window needs a size");
    l.window.x = x;
    l.window.y = y;
    l.window.width = width;
    l.window.height = height;
    l.windowGiven = true;
}

void setpag(const char* page) {
    record("setpag", {}, {page});
    if (keywordIndex(page, {"DA4L"}) < 0) warn("setpag", "only the landscape page DA4L is known");
}

void disini() {
    record("disini", {});
    Library& l = lib();
    if (l.open) return warn("disini", "plotting has started already");
    resetDrawingState(l);
    clearEvents();
    l.open = true;
    Screen* s = l.output == Output::Screen ? registeredScreen() : nullptr;
    if (s) {
        l.scene.setObserver(s);
        s->open(windowFor(l), l.scene);
        l.onScreen = true;
    }
}

void winmod(const char* mode) {
    record("winmod", {}, {mode});
    Library& l = lib();
    switch (keywordIndex(mode, {"NONE", "FULL", "NOHO", "DELA", "NOER", "NOMB"})) {
        case 0:
            l.hold = Hold::AnyEvent;
            break;
        case 1:
            l.hold = Hold::ClosingKey;
            break;
        case 2:
            l.hold = Hold::NoHold;
            break;
        case 3:
            l.hold = Hold::Delay;
            break;
        case 4:
            l.quiet = true;
            break;
        case 5:
            break;  // the library shows no message boxes anyway
        default:
            warn("winmod", "unknown mode");
    }
}

void winkey(const char* key) {
    record("winkey", {}, {key});
    static const int32_t codes[] = {0, 13, 27};
    int i = keywordIndex(key, {"NONE", "RETU", "ESCA"});
    if (i < 0) return warn("winkey", "unknown key");
    lib().closingKey = codes[i];
}

void wintit(const char* title) {
    record("wintit", {}, {title});
    Library& l = lib();
    l.window.title = title ? title : "";
    if (l.onScreen) registeredScreen()->setTitle(l.window.title);
}

void winfnt(const char* font) {
    record("winfnt", {}, {font});
    if (!plotting("winfnt") || !font) return;
    lib().font = lib().scene.fontIndex(font);
}

void sendbf() {
    record("sendbf", {});
    Library& l = lib();
    if (l.onScreen) registeredScreen()->update();
}

void disfin() {
    record("disfin", {});
    Library& l = lib();
    if (!l.open) return;
    if (l.onScreen) {
        Screen& s = *registeredScreen();
        s.update();
        holdWindow(l, s);
        s.close();
    } else if (l.output != Output::Screen) {
        writePictureFile(l);
    }
    l.scene.setObserver(nullptr);
    l.open = l.onScreen = false;
    l.output = Output::Screen;
    l.file.clear();
    l.replaceFile = false;
    l.windowGiven = false;
    l.window.title.clear();
    clearEvents();
}
