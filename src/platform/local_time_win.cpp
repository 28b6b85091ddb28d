#ifdef _WIN32

#include "platform/local_time.h"

namespace vx::platform {

std::tm localTime(std::time_t t) {
    std::tm out{};
    localtime_s(&out, &t);
    return out;
}

}  // namespace vx::platform

#endif
