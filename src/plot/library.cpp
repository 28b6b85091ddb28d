#include "plot/library.h"

#include <cstdio>

#include "plot/colour.h"
#include "plot/events.h"

namespace vx::plot {

Library& lib() {
    static Library l;
    return l;
}

void resetDrawingState(Library& l) {
    static const int32_t defaultCycle[] = {
        packColour(0, 0, 0),     packColour(255, 0, 0),   packColour(0, 160, 0),   packColour(0, 0, 255),
        packColour(255, 0, 255), packColour(0, 170, 170), packColour(255, 140, 0), packColour(128, 128, 128)};
    l.hold = Hold::AnyEvent;
    l.quiet = false;
    l.closingKey = 27;
    l.cursorMode = CursorMode::Standard;
    l.colour = packColour(0, 0, 0);
    l.textHeight = 36;
    l.axis = AxisSettings{};
    l.system = AxisSystem{};
    l.thickness = 1;
    l.cycleColours = l.cycleStyles = false;
    l.cycleLength = 0;
    for (int32_t c : defaultCycle)
        l.cycle[l.cycleLength++] = c;
    l.curvesDrawn = 0;
    l.legend = Legend{};
    l.scene.reset(packColour(255, 255, 255));
    l.font = l.scene.fontIndex("Arial");
}

void resetLibrary() {
    Library& l = lib();
    if (l.onScreen)
        if (Screen* s = registeredScreen()) s->close();
    l.scene.setObserver(nullptr);
    l.output = Output::Screen;
    l.file.clear();
    l.replaceFile = false;
    l.window = WindowRequest{};
    l.windowGiven = false;
    l.open = l.onScreen = false;
    l.scene.releaseStorage();
    std::vector<PointF>().swap(l.pagePoints);
    std::vector<PointF>().swap(l.piece);
    resetDrawingState(l);
    clearEvents();
}

void warn(const char* routine, const char* what) {
    if (!lib().quiet) std::fprintf(stderr, "plot: %s: %s\n", routine, what);
}

bool plotting(const char* routine) {
    if (lib().open) return true;
    warn(routine, "no plot open (disini comes first)");
    return false;
}

}  // namespace vx::plot
