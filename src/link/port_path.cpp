#include "link/port_path.h"

namespace vx::link {

std::string portPath(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    if (name.empty() || name.find('/') != std::string::npos) return name;
    return "/dev/" + name;
#endif
}

}  // namespace vx::link
