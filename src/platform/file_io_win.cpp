#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "platform/file_io.h"

namespace vx::platform {

int createForWriting(const char* path) {
    return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

long writeSome(int fd, const void* data, size_t n) {
    return _write(fd, data, unsigned(n > 0x40000000 ? 0x40000000 : n));
}

bool syncToDisk(int fd) {
    return _commit(fd) == 0;
}

bool truncateAt(int fd, uint64_t size) {
    const auto at = static_cast<long long>(size);
    return _chsize_s(fd, at) == 0 && _lseeki64(fd, at, SEEK_SET) >= 0;
}

void closeFile(int fd) {
    _close(fd);
}

int streamDescriptor(std::FILE* f) {
    return _fileno(f);
}

void removeInSignalHandler(const char* path) {
    _unlink(path);
}

}  // namespace vx::platform

#endif
