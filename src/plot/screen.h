#pragma once
// The outputs the core cannot draw itself, registered by the program that has them: the
// screen window of "XWIN" and the writer of SVG and PNG pictures (the desktop program
// installs Qt ones, src/plot/qt). With no screen registered, "XWIN" keeps the picture in
// the scene only, so the library works the same in tests and in the terminal program.

#include <string>

#include "plot/scene.h"

namespace vx::plot {

enum class CursorShape { Arrow, Cross, UpArrow };

struct ScreenMetrics {
    int width = 1920, height = 1080;                          // of the whole screen, in pixels
    int frameWidth = 3, frameHeight = 3, captionHeight = 23;  // of a dialog window
};

struct WindowRequest {
    int x = 0, y = 0, width = 0, height = 0;  // pixels; the page fills it in its ratio
    bool fullScreen = false;
    std::string title;  // Windows-1252
};

class Screen : public SceneObserver {
  public:
    // Opens the window showing `scene`, the library's, which lives until close().
    // drawn() (SceneObserver) then paints each primitive as it is drawn.
    virtual void open(const WindowRequest& w, const Scene& scene) = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void update() = 0;  // shows what was drawn
    virtual void close() = 0;
    virtual void setCursorShape(CursorShape shape) = 0;
    virtual void movePointer(int x, int y) = 0;  // page coordinates
    // Keeps the window working until it has posted an event, was closed, or `ms`
    // milliseconds passed (-1: no limit).
    virtual void waitForEvent(int ms) = 0;
    virtual bool isOpen() const = 0;
    virtual ScreenMetrics metrics() const = 0;
};

void setScreen(Screen* screen);  // null: headless
Screen* registeredScreen();
ScreenMetrics screenMetrics();  // the screen's, or the defaults above

enum class PictureFormat { Svg, Png };

class PictureWriter {
  public:
    virtual ~PictureWriter() = default;
    // The whole picture as the bytes of a file; false with *error set when it cannot.
    virtual bool render(const Scene& scene, PictureFormat format, std::string* bytes, std::string* error) = 0;
};

void setPictureWriter(PictureWriter* writer);  // null: SVG and PNG are not written
PictureWriter* registeredPictureWriter();

}  // namespace vx::plot
