#include "cli/simulation.h"

namespace vx::cli {

std::unique_ptr<Simulation> Simulation::start(const std::string&, std::string& err) {
    err = "the simulated device is not available in this build";
    return nullptr;
}

}  // namespace vx::cli
