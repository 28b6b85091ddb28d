#ifndef _WIN32

#include <time.h>

#include "platform/local_time.h"

namespace vx::platform {

std::tm localTime(std::time_t t) {
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

}  // namespace vx::platform

#endif
