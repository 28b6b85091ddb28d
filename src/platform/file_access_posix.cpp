#ifndef _WIN32

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/file_access.h"

namespace vx::platform {
namespace {

std::string userName(uid_t uid) {
    std::vector<char> buf(16384);
    passwd pw{}, *found = nullptr;
    if (getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found) return pw.pw_name;
    return std::to_string(uid);
}

std::string groupName(gid_t gid) {
    std::vector<char> buf(16384);
    group gr{}, *found = nullptr;
    if (getgrgid_r(gid, &gr, buf.data(), buf.size(), &found) == 0 && found) return gr.gr_name;
    return std::to_string(gid);
}

std::string modeText(mode_t m) {
    std::string t = S_ISCHR(m) ? "c" : S_ISDIR(m) ? "d" : S_ISLNK(m) ? "l" : S_ISREG(m) ? "-" : "?";
    const char* rwx = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        t += (m & (0400 >> i)) ? rwx[i] : '-';
    return t;
}

}  // namespace

FileAccess fileAccess(const std::string& path) {
    FileAccess a;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return a;
    a.exists = true;
    a.readable = access(path.c_str(), R_OK) == 0;
    a.writable = access(path.c_str(), W_OK) == 0;
    a.owner = userName(st.st_uid);
    a.group = groupName(st.st_gid);
    a.mode = modeText(st.st_mode);
    return a;
}

std::string userDescription() {
    const uid_t uid = getuid();
    std::string text = userName(uid) + " (uid " + std::to_string(uid) + "); groups: " + groupName(getgid());
    const int n = getgroups(0, nullptr);
    std::vector<gid_t> groups(n > 0 ? size_t(n) : 0);
    const int got = n > 0 ? getgroups(n, groups.data()) : 0;
    for (int i = 0; i < got; ++i)
        if (groups[size_t(i)] != getgid()) text += ", " + groupName(groups[size_t(i)]);
    return text;
}

}  // namespace vx::platform

#endif
