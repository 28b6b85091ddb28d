#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/file_io.h"
#include "platform/signals.h"

namespace vx::platform {
namespace fs = std::filesystem;
namespace {

// A name no other writer uses: the target's name, hidden, with a random tag.
std::string tempNameFor(const fs::path& target, unsigned tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", tag);
    std::string name(1, '.');
    name.append(target.filename().string()).append(suffix);
    return (target.parent_path() / name).string();
}

}  // namespace

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::fail(const std::string& what, int err) {
    if (!error_.empty()) return;
    error_ = what + ": " + std::strerror(err);
}

bool AtomicFile::open(const std::string& target) {
    discard();
    error_.clear();
    target_ = target;
    if (target.empty()) {
        error_ = "no file name";
        return false;
    }
    fs::path t(target);
    if (std::error_code ec; fs::is_directory(t, ec)) {
        error_ = target + " is a folder";
        return false;
    }
    std::random_device rd;
    for (int attempt = 0; attempt < 16 && !f_; ++attempt) {
        temp_ = tempNameFor(t, rd());
        errno = 0;
        f_ = std::fopen(temp_.c_str(), "wbx");  // never opens a file that already exists
        if (!f_ && errno != EEXIST) break;
    }
    if (!f_) {
        fail(target, errno ? errno : EEXIST);
        temp_.clear();
        return false;
    }
    slot_ = registerTempPath(temp_);
    return true;
}

void AtomicFile::setBuffer(size_t bytes) {
    if (f_) std::setvbuf(f_, nullptr, _IOFBF, bytes);
}

bool AtomicFile::write(const void* data, size_t n) {
    if (!f_) return false;
    if (std::fwrite(data, 1, n, f_) == n) return true;
    fail(target_, errno ? errno : EIO);
    return false;
}

bool AtomicFile::print(const char* fmt, ...) {
    if (!f_) return false;
    va_list ap;
    va_start(ap, fmt);
    int r = std::vfprintf(f_, fmt, ap);
    va_end(ap);
    return r >= 0;
}

bool AtomicFile::ok() const {
    return f_ && !std::ferror(f_);
}

bool AtomicFile::commit() {
    if (!f_) {
        if (error_.empty()) error_ = "file not open";
        return false;
    }
    // A write that failed earlier is sticky; flushing again usually tells why (ENOSPC).
    bool good = !std::ferror(f_);
    std::clearerr(f_);
    int err = 0;
    errno = 0;
    if (std::fflush(f_) != 0) good = false, err = errno;
    if (!good && err == 0) err = EIO;
    if (good && !syncToDisk(streamDescriptor(f_))) good = false, err = errno;
    if (std::fclose(f_) != 0 && good) good = false, err = errno;
    f_ = nullptr;
    if (!good) {
        fail(target_, err ? err : EIO);
        discard();
        return false;
    }
    std::error_code ec;
    fs::rename(temp_, target_, ec);  // replaces an existing target on every platform
    if (ec) {
        error_ = target_ + ": " + ec.message();
        discard();
        return false;
    }
    unregisterTempPath(slot_);
    slot_ = -1;
    temp_.clear();
    return true;
}

void AtomicFile::discard() {
    if (f_) std::fclose(f_);
    f_ = nullptr;
    if (!temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        temp_.clear();
    }
    unregisterTempPath(slot_);
    slot_ = -1;
}

bool writeFileAtomically(const std::string& target, const void* data, size_t n, std::string* error) {
    AtomicFile f;
    bool done = f.open(target) && f.write(data, n) && f.commit();
    if (!done && error) *error = f.error();
    return done;
}

}  // namespace vx::platform
