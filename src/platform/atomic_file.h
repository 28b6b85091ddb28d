#pragma once
// The one way the program writes an output file. The bytes go to a temporary file in the
// target's own folder; every write, the flush and the close are checked; only when all
// of them succeeded does a rename put the file in the target's place (replacing an older
// file there, on every platform). A failure, a discard or the end of the process by a
// signal leaves the previous target untouched and no temporary file behind.

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/compiler.h"

namespace vx::platform {

class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();  // discards a file that was not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for `target`. False with error() set when it cannot.
    bool open(const std::string& target);

    // The buffered stream to write to (null when not open). Writes through it are
    // checked by ok() and by commit().
    std::FILE* stream() const { return f_; }
    // Larger buffers for big files written in many small pieces.
    void setBuffer(size_t bytes);

    bool write(const void* data, size_t n);
    bool print(const char* fmt, ...) VX_PRINTF_FORMAT(2, 3);
    // False once any write so far has failed (a full disk, a lost network share).
    bool ok() const;

    // Flushes, syncs, closes and renames the file into place. False with error() set
    // (the temporary file is then removed and the target left as it was).
    bool commit();
    void discard();

    bool isOpen() const { return f_ != nullptr; }
    const std::string& target() const { return target_; }
    const std::string& error() const { return error_; }

  private:
    void fail(const std::string& what, int err);

    std::FILE* f_ = nullptr;
    std::string target_, temp_;
    std::string error_;
    int slot_ = -1;
};

// Writes a whole buffer to `target` atomically; false with *error set on failure.
bool writeFileAtomically(const std::string& target, const void* data, size_t n, std::string* error = nullptr);

}  // namespace vx::platform
