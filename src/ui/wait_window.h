#pragma once
// The wait window that every long procedure shows and polls between its steps.

#include <cstdint>
#include <string>

#include "ui/backend.h"

extern vx::ui::WindowHandle hDlgWait;  // non-null exactly while a wait window is open

void Show_wait_msg(vx::ui::WindowHandle hDlg, const char* szTxt);
int32_t Test_wait_msg();  // 0 once the window is closed (the user stopped), else 1
void Setbar_wait_msg(uint32_t cur, uint32_t end);
void Print_wait_msg(const char* szTxt);
void Close_wait_msg();

namespace vx::ui {
// The unit the open wait window's steps count ("pages"; "" for a plain percentage), until
// it closes or the unit changes.
void setWaitUnit(const char* unit);
// What a click on the Stop button does: asks to abandon, closes the window on Yes.
void waitStopClicked();
// Percentage shown for step cur of end (unsigned 32-bit, truncating).
inline uint32_t waitPercent(uint32_t cur, uint32_t end) {
    return uint32_t(cur * 100u) / end;
}
}  // namespace vx::ui
