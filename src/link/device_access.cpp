#include "link/device_access.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vx::link {

std::string deviceGroup(const std::string& path) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (const group* g = ::getgrgid(st.st_gid)) return g->gr_name;
#else
    (void)path;
#endif
    return {};
}

bool deviceAccessible(const std::string& path) {
#ifndef _WIN32
    return ::access(path.c_str(), R_OK | W_OK) == 0;
#else
    (void)path;
    return true;
#endif
}

}  // namespace vx::link
