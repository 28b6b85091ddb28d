#ifndef _WIN32

#include <sys/utsname.h>

#include "platform/system_info.h"

namespace vx::platform {

SystemInfo systemInfo() {
    utsname u{};
    if (uname(&u) != 0) return {"unknown", "", "", "unknown"};
    return {u.sysname, u.release, u.version, u.machine};
}

}  // namespace vx::platform

#endif
