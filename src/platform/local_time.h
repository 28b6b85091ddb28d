#pragma once
// The PC's local calendar time, without the shared static buffer of std::localtime.

#include <ctime>

namespace vx::platform {

std::tm localTime(std::time_t t);

}  // namespace vx::platform
