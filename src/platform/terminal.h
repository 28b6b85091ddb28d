#pragma once
// Whether a standard stream is an interactive terminal (progress bars are drawn only there).

#include <cstdio>

namespace vx::platform {

bool isTerminal(std::FILE* stream);

}  // namespace vx::platform
