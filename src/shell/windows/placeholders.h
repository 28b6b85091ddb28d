#pragma once
// Windows that the main window and the port selection open and that arrive with their own
// work: each is one function with the owner window, so the caller does not change when
// the window is filled in.

class QWidget;

namespace vx::shell {

void openPostProcessing(QWidget* owner);   // dialog 800, the downloaded table
void openSampleTimer(QWidget* owner);      // dialog 700, the nodes' sample timer
void startMonitor(QWidget* owner);         // the real-time monitor, runs until it ends
void openInverterDetails(QWidget* owner);  // dialog 2200, the inverters of the board
int openQuickMode(QWidget* owner);         // dialog 500, offline image viewer

}  // namespace vx::shell
