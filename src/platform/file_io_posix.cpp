#ifndef _WIN32

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_io.h"

namespace vx::platform {

int createForWriting(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long writeSome(int fd, const void* data, size_t n) {
    return long(::write(fd, data, n));
}

bool syncToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

bool truncateAt(int fd, uint64_t size) {
    return ::ftruncate(fd, off_t(size)) == 0 && ::lseek(fd, off_t(size), SEEK_SET) >= 0;
}

void closeFile(int fd) {
    ::close(fd);
}

int streamDescriptor(std::FILE* f) {
    return fileno(f);
}

void removeInSignalHandler(const char* path) {
    ::unlink(path);  // unlink is async-signal-safe; std::remove is not promised to be
}

}  // namespace vx::platform

#endif
