#include "shell/build_info.h"

#include "shell/startup_state.h"

// The build system names these; a build without them still says something.
#ifndef VX_BUILD_TYPE
#define VX_BUILD_TYPE "unknown"
#endif
#ifndef VX_QT_VERSION
#define VX_QT_VERSION "unknown"
#endif
#ifndef VX_VERSION
#define VX_VERSION "unknown"
#endif

namespace vx::shell {

BuildInfo buildInfo() {
    buildProgramNames();
    BuildInfo b;
    b.program = Nome_prog;
    b.version = VX_VERSION;
    b.buildType = *VX_BUILD_TYPE ? VX_BUILD_TYPE : "none";
#if defined(__clang__)
    b.compiler = "Clang " __clang_version__;
#elif defined(__GNUC__)
    b.compiler = "GCC " __VERSION__;
#elif defined(_MSC_VER)
    b.compiler = "MSVC " + std::to_string(_MSC_FULL_VER);
#else
    b.compiler = "unknown";
#endif
    b.qt = VX_QT_VERSION;
    return b;
}

}  // namespace vx::shell
