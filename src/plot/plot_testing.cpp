#include "plot/plot_testing.h"

#include "plot/library.h"
#include "plot/output_file.h"

namespace vx::plot::testing {

const Scene& currentScene() {
    return lib().scene;
}

void resetPlotting() {
    resetLibrary();
}

const std::string& lastPictureFile() {
    return vx::plot::lastPictureFile();
}

}  // namespace vx::plot::testing
