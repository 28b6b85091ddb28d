#include "ui/backend.h"

#include <cstdarg>
#include <cstdio>

#include "ui/terminal_backend.h"

namespace vx::ui {
namespace {
Backend* gBackend;
MessageObserver gObserver;
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

Answer closeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::YesNoCancel:
            return Answer::Cancel;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
    }
    return Answer::Ok;
}

Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) {
    Answer a = backend().message(owner, text, caption, icon, buttons);
    if (gObserver) gObserver(text, caption, icon, buttons, a);
    return a;
}

void setMessageObserver(MessageObserver observer) {
    gObserver = observer;
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
