#pragma once
// What the program runs on, for the diagnostic archive and the trace's header.

#include <string>

namespace vx::platform {

struct SystemInfo {
    std::string os;       // "Linux", "Darwin", "Windows"
    std::string release;  // the kernel's release ("6.1.0-13-amd64"), "" when unknown
    std::string version;  // the kernel's build text, "" when unknown
    std::string arch;     // "x86_64", "aarch64"
};

SystemInfo systemInfo();

}  // namespace vx::platform
