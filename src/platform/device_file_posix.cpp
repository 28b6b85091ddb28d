#ifndef _WIN32

#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/device_file.h"

namespace vx::platform {

std::string fileGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (const group* g = ::getgrgid(st.st_gid)) return g->gr_name;
    return {};
}

bool fileReadWritable(const std::string& path) {
    return ::access(path.c_str(), R_OK | W_OK) == 0;
}

int lockExclusive(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

}  // namespace vx::platform

#endif
