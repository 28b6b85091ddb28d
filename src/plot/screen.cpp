#include "plot/screen.h"

#include "graphs/plot_interface.h"

namespace vx::plot {
namespace {
Screen* theScreen = nullptr;
PictureWriter* theWriter = nullptr;
}  // namespace

void setScreen(Screen* screen) {
    theScreen = screen;
}
Screen* registeredScreen() {
    return theScreen;
}
ScreenMetrics screenMetrics() {
    return theScreen ? theScreen->metrics() : ScreenMetrics{};
}
void setPictureWriter(PictureWriter* writer) {
    theWriter = writer;
}
PictureWriter* registeredPictureWriter() {
    return theWriter;
}

}  // namespace vx::plot

PlotScreenMetrics plotScreenMetrics() {
    vx::plot::ScreenMetrics m = vx::plot::screenMetrics();
    return {m.width, m.frameWidth, m.frameHeight, m.captionHeight};
}
