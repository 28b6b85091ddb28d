#pragma once
// The session report shown in the main window (and printed by the command-line tool).

#include <cstdint>

#include "ui/backend.h"

void printInfoSes(vx::ui::WindowHandle hDlgCtrl, int32_t verb);
// The node list that ends the report: each node with its timer, battery and channels.
void printNodeList(vx::ui::WindowHandle hDlgCtrl);
