#pragma once
// A POSIX ustar archive written member by member into an atomic output file, so that
// the program can hand a user one file to send without needing an archiving tool.
// Members are regular files with names of at most 100 bytes.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace vx::platform {

class TarWriter {
  public:
    // Every member gets `mtime` as its modification time.
    TarWriter(AtomicFile& out, std::time_t mtime) : out_(out), mtime_(mtime) {}

    // False with error() set when the name does not fit or the file could not be written.
    bool add(const std::string& name, std::string_view data);
    // The member's bytes copied from the file at `path`, as large as it was when begun.
    bool addFile(const std::string& name, const std::string& path);
    // The two empty blocks that end an archive. The caller commits the file afterwards.
    bool finish();

    const std::string& error() const { return error_; }

  private:
    bool header(const std::string& name, uint64_t size);
    bool pad(uint64_t size);
    bool fail(const std::string& what);

    AtomicFile& out_;
    std::time_t mtime_;
    std::string error_;
};

}  // namespace vx::platform
