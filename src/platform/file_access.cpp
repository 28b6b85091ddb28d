#include "platform/file_access.h"

namespace vx::platform {

std::string describeAccess(const FileAccess& a) {
    if (!a.exists) return "no file of that name";
    std::string t = a.readable ? "readable" : "not readable";
    t += a.writable ? ", writable" : ", not writable";
    t += " by this user";
    if (!a.owner.empty()) t += "; owner " + a.owner;
    if (!a.group.empty()) t += ", group " + a.group;
    if (!a.mode.empty()) t += ", " + a.mode;
    return t;
}

}  // namespace vx::platform
