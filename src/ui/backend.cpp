#include "ui/backend.h"

#include <cstdarg>
#include <cstdio>

#include "ui/terminal_backend.h"

namespace vx::ui {
namespace {
Backend* gBackend;
TerminalBackend& defaultBackend() {
    static TerminalBackend b;
    return b;
}
}  // namespace

Backend& backend() {
    return gBackend ? *gBackend : defaultBackend();
}
void setBackend(Backend* b) {
    gBackend = b;
}

Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) {
    return backend().message(owner, text, caption, icon, buttons);
}

std::string format(const char* fmt, ...) {
    char small[512];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) return {};
    if (size_t(n) < sizeof small) return std::string(small, size_t(n));
    std::string out(size_t(n), '\0');
    va_start(ap, fmt);
    std::vsnprintf(out.data(), out.size() + 1, fmt, ap);
    va_end(ap);
    return out;
}

}  // namespace vx::ui
