#ifdef _WIN32

#include <cstdlib>

#include "platform/system_info.h"

namespace vx::platform {

SystemInfo systemInfo() {
    const char* arch = std::getenv("PROCESSOR_ARCHITECTURE");
    const char* os = std::getenv("OS");
    return {os ? os : "Windows", "", "", arch ? arch : "unknown"};
}

}  // namespace vx::platform

#endif
