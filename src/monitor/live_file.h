#pragma once
// A file written as a live log: each record goes to the disk when it is written (written,
// flushed and synced), so a crash or a power cut loses at most the record under way. A
// record that cannot be written whole is taken back, so the file always ends with a
// complete record.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::monitor {

class LiveFile {
  public:
    LiveFile() = default;
    ~LiveFile() { close(); }
    LiveFile(const LiveFile&) = delete;
    LiveFile& operator=(const LiveFile&) = delete;

    // Creates the file, or empties an existing one. False with error() set.
    bool create(const std::string& path);
    // Writes one record and puts it on the disk. False with error() set; the file is then
    // cut back to the end of the previous record.
    bool append(const void* data, size_t n);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    uint64_t size() const { return size_; }

  private:
    void fail(int err);

    int fd_ = -1;
    uint64_t size_ = 0;  // bytes of complete records
    std::string path_, error_;
};

}  // namespace vx::monitor
