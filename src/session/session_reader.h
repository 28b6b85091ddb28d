#pragma once
// Reading the logger's current session: registers, table, clocks and time markers, with
// the wait window and a retry question after each failing step; and the clock setting.

#include <cstdint>

#include "ui/backend.h"

void initSession(char* szP, vx::ui::WindowHandle hwndDlg);
int32_t initPages(char* szP);
int32_t initTabAss();
int32_t initTimeMark();
int32_t clockSync();
