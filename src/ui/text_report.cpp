#include "ui/text_report.h"

#include <cstdarg>
#include <cstdio>

int32_t printf_API(vx::ui::WindowHandle hDlgCtrl, const char* szFormat, ...) {
    char buf[300];
    va_list ap;
    va_start(ap, szFormat);
    int n = std::vsnprintf(buf, sizeof buf, szFormat, ap);
    va_end(ap);
    if (n < 0) return 0;
    if (n >= int(sizeof buf)) n = int(sizeof buf) - 1;  // longer texts are cut, never overrun
    vx::ui::backend().appendText(hDlgCtrl, std::string(buf, size_t(n)));
    return n;
}
