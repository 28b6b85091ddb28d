#pragma once
// The system's own file calls, below the C library's buffers, for the writers that need
// them: the live log, which puts each record on the disk and cuts a failed one back; the
// sync of the atomic writer; the removal of temporary files from a signal handler. The
// descriptor calls return -1 or false with errno set.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vx::platform {

// Opens `path` for writing, created or emptied.
int createForWriting(const char* path);
// Writes up to n bytes; the count written (0 when there is no room), -1 on an error.
long writeSome(int fd, const void* data, size_t n);
// Puts what was written on the disk. Files that cannot be synced (pipes, some network
// shares) count as synced: only a real I/O error fails.
bool syncToDisk(int fd);
// Cuts the file to `size` bytes and moves the write position there.
bool truncateAt(int fd, uint64_t size);
void closeFile(int fd);

// The descriptor under a C stream.
int streamDescriptor(std::FILE* f);

// Removes a file; safe to call from a signal handler.
void removeInSignalHandler(const char* path);

}  // namespace vx::platform
