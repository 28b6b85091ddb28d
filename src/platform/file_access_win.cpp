#ifdef _WIN32

#include <cstdlib>
#include <filesystem>

#include "platform/file_access.h"

namespace vx::platform {

FileAccess fileAccess(const std::string& path) {
    // Windows ports (COM3) are no files; whether one may be opened shows only on opening.
    FileAccess a;
    std::error_code ec;
    a.exists = std::filesystem::exists(path, ec);
    return a;
}

std::string userDescription() {
    const char* user = std::getenv("USERNAME");
    return user ? user : "unknown";
}

}  // namespace vx::platform

#endif
