#pragma once
// What this build of the program is: version, build type, compiler, Qt. The trace's header
// and the diagnostic archive name it.

#include <string>

namespace vx::shell {

struct BuildInfo {
    std::string program;    // "Vendrix v.5.0.en"
    std::string version;    // "5.0"
    std::string buildType;  // "Debug", "Release"
    std::string compiler;   // "GCC 12.2.0"
    std::string qt;         // the Qt version it was built with
};

BuildInfo buildInfo();

}  // namespace vx::shell
