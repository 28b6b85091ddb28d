#include "monitor/live_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace vx::monitor {
namespace {

#ifdef _WIN32
int openTruncated(const char* path) {
    return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long writeSome(int fd, const char* p, size_t n) {
    return _write(fd, p, unsigned(n > 0x40000000 ? 0x40000000 : n));
}
bool syncFile(int fd) {
    return _commit(fd) == 0;
}
bool cutTo(int fd, uint64_t size) {
    return _chsize_s(fd, long long(size)) == 0 && _lseeki64(fd, long long(size), SEEK_SET) >= 0;
}
void closeFile(int fd) {
    _close(fd);
}
#else
int openTruncated(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}
long writeSome(int fd, const char* p, size_t n) {
    return long(::write(fd, p, n));
}
bool syncFile(int fd) {
    // Some file systems cannot sync (pipes, some network shares): only a real I/O error
    // counts as a failure.
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}
bool cutTo(int fd, uint64_t size) {
    return ::ftruncate(fd, off_t(size)) == 0 && ::lseek(fd, off_t(size), SEEK_SET) >= 0;
}
void closeFile(int fd) {
    ::close(fd);
}
#endif

}  // namespace

void LiveFile::fail(int err) {
    error_ = path_ + ": " + std::strerror(err ? err : EIO);
}

bool LiveFile::create(const std::string& path) {
    close();
    path_ = path;
    error_.clear();
    size_ = 0;
    if (path.empty()) {
        error_ = "no file name";
        return false;
    }
    errno = 0;
    fd_ = openTruncated(path.c_str());
    if (fd_ < 0) {
        fail(errno);
        return false;
    }
    return true;
}

bool LiveFile::append(const void* data, size_t n) {
    if (fd_ < 0) return false;
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < n) {
        errno = 0;
        long w = writeSome(fd_, p + done, n - done);
        if (w > 0) {
            done += size_t(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        int err = errno ? errno : ENOSPC;  // a write of 0 bytes: no room
        cutTo(fd_, size_);
        fail(err);
        return false;
    }
    if (!syncFile(fd_)) {
        int err = errno;
        cutTo(fd_, size_);
        fail(err);
        return false;
    }
    size_ += n;
    return true;
}

void LiveFile::close() {
    if (fd_ >= 0) closeFile(fd_);
    fd_ = -1;
}

}  // namespace vx::monitor
