// The simulated device's settings string ("qm41,fw=19,seed=7,nodes=5"), as -s and
// --simulate pass it.

#include <string>

#include "sim/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::sim::Options opts;
    std::string err;
    (void)vx::sim::parseSimSettings(std::string(reinterpret_cast<const char*>(data), size), opts, err);
    return 0;
}
