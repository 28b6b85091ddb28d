#include "monitor/live_file.h"

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"

namespace vx::monitor {

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
    fd_ = platform::createForWriting(path.c_str());
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
        long w = platform::writeSome(fd_, p + done, n - done);
        if (w > 0) {
            done += size_t(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        int err = errno ? errno : ENOSPC;  // a write of 0 bytes: no room
        platform::truncateAt(fd_, size_);
        fail(err);
        return false;
    }
    if (!platform::syncToDisk(fd_)) {
        int err = errno;
        platform::truncateAt(fd_, size_);
        fail(err);
        return false;
    }
    size_ += n;
    return true;
}

void LiveFile::close() {
    if (fd_ >= 0) platform::closeFile(fd_);
    fd_ = -1;
}

}  // namespace vx::monitor
