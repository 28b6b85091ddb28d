#ifdef _WIN32

#include "platform/device_file.h"

namespace vx::platform {

std::string fileGroup(const std::string&) {
    return {};
}

bool fileReadWritable(const std::string&) {
    return true;
}

int lockExclusive(int) {
    return 0;
}

}  // namespace vx::platform

#endif
