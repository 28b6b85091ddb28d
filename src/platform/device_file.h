#pragma once
// What the file system says about a device file, for the texts of failed opens, and the
// lock that keeps a second opener off a device.

#include <string>

namespace vx::platform {

// The group that owns the file ("dialout"), empty when unknown or on Windows.
std::string fileGroup(const std::string& path);

// True when the file's permissions let this process read and write it (a device that is
// accessible yet refused is held by someone else). Always true on Windows, where a
// refused device is one that another program has open.
bool fileReadWritable(const std::string& path);

// Takes the exclusive advisory lock on an open file without waiting: 0, or the errno
// (EWOULDBLOCK while another process holds it). Always 0 on Windows, which opens a
// device for one program only.
int lockExclusive(int fd);

}  // namespace vx::platform
