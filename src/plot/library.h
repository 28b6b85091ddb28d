#pragma once
// The state of the plotting library between calls: the output chosen before disini, the
// open plot, the current colour and text settings, the axis system, the curve
// attributes, the legend and the cursor mode, and the one scene they draw into.

#include <string>
#include <vector>

#include "plot/axis_system.h"
#include "plot/scene.h"
#include "plot/screen.h"

namespace vx::plot {

enum class Output { Screen, Wmf, Svg, Png };
// What disfin does on the screen: wait for any key or click, wait for the closing key
// only, return at once, or show the picture for a moment.
enum class Hold { AnyEvent, ClosingKey, NoHold, Delay };
enum class CursorMode { Standard, Set, Read, Get };

constexpr int kCycleMax = 32;           // colour cycle entries
constexpr int kCurveColoursKept = 256;  // curve colours remembered for the legend

struct Legend {
    char* buffer = nullptr;  // the program's, lines x (maxChars + 1) bytes used
    int lines = 0, maxChars = 0;
    bool placed = false;
    int x = 0, y = 0;
    std::string title = "Legend";
};

struct Library {
    // Chosen before disini; kept until disfin.
    Output output = Output::Screen;
    std::string file;
    bool replaceFile = false;
    WindowRequest window;
    bool windowGiven = false;

    // The open plot.
    bool open = false;
    bool onScreen = false;  // a registered screen window shows it
    Hold hold = Hold::AnyEvent;
    bool quiet = false;       // no warnings on stderr
    int32_t closingKey = 27;  // the key that ends a waiting disfin; 0 none
    CursorMode cursorMode = CursorMode::Standard;

    int32_t colour = 0;
    int textHeight = 36;
    uint16_t font = 0;

    AxisSettings axis;
    AxisSystem system;

    int thickness = 1;
    bool cycleColours = false, cycleStyles = false;
    int32_t cycle[kCycleMax] = {};
    int cycleLength = 0;
    int curvesDrawn = 0;  // since graf or resatt
    int32_t curveColours[kCurveColoursKept] = {};

    Legend legend;
    Scene scene;
    std::vector<PointF> pagePoints, piece;  // reused by curve
};

Library& lib();

// Everything back to the state before metafl (the open plot is dropped, not finished),
// and the storage given back.
void resetLibrary();
// The drawing state of a new plot (disini).
void resetDrawingState(Library& l);
// Warns on stderr unless winmod("NOER").
void warn(const char* routine, const char* what);
// True while a plot is open; otherwise warns that `routine` needs disini first.
bool plotting(const char* routine);

}  // namespace vx::plot
