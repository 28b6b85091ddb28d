#include "plot/qt/install.h"

#include "plot/qt/picture_writer.h"
#include "plot/qt/plot_window.h"

namespace vx::plot::qt {

void installQtPlotting() {
    static QtScreen screen;
    static QtPictureWriter writer;
    setScreen(&screen);
    setPictureWriter(&writer);
}

}  // namespace vx::plot::qt
