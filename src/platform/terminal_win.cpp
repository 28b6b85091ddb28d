#ifdef _WIN32

#include <io.h>

#include "platform/terminal.h"

namespace vx::platform {

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace vx::platform

#endif
