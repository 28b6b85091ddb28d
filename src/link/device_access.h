#pragma once
// What the file system says about a device path, for the texts of failed opens.

#include <string>

namespace vx::link {

// The group that owns the device ("dialout"), empty when unknown or on Windows.
std::string deviceGroup(const std::string& path);

// True when the file's permissions let this process read and write it. A port that is
// accessible yet refused is held by someone else. Always true on Windows, where a
// refused port is one that another program has open.
bool deviceAccessible(const std::string& path);

}  // namespace vx::link
