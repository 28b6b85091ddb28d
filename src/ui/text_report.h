#pragma once
// Reports written into a multi-line text box (a window's box, stdout in the terminal).

#include <cstdint>

#include "platform/compiler.h"
#include "ui/backend.h"

// Formats like printf (at most 299 characters per call) and appends the text to the box.
// Returns the number of characters formatted.
int32_t printf_API(vx::ui::WindowHandle hDlgCtrl, const char* szFormat, ...)
    VX_PRINTF_FORMAT(2, 3);
