#pragma once
// What the user running the program may do with a file (a serial device): whether it can
// open it for reading and writing, who owns it, and who the user is. The diagnostic archive lists it for
// each port, since a port the user may not open is the most common reason for "no device".

#include <string>

namespace vx::platform {

struct FileAccess {
    bool exists = false;
    bool readable = false;  // by this user
    bool writable = false;
    std::string owner, group;  // "" when the platform does not say
    std::string mode;          // "crw-rw----", "" when unknown
};

FileAccess fileAccess(const std::string& path);

// "readable, writable by this user; owner root, group dialout, crw-rw----".
std::string describeAccess(const FileAccess& a);

// The user running the program with the groups it belongs to: "anna (uid 1000); groups:
// anna, dialout".
std::string userDescription();

}  // namespace vx::platform
