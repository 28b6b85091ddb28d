#ifndef _WIN32

#include <unistd.h>

#include "platform/terminal.h"

namespace vx::platform {

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

}  // namespace vx::platform

#endif
