#pragma once
// The real-time monitor's core, for the monitor windows and vendrix-cli. The windows
// (src/monitor/windows) and the terminal only gather input and show results; every
// device procedure, rule and file of the monitor is here. One thread: the windows call
// these from their event handlers and timers.
//
// Monitor window (dialog 400, DlgMonitor) -- monitor_window.h
//   Monitor button  vx::shell::runMonitor(main, [] { ...run the monitor window... }) sends
//                   "ATCM07\r" and runs it. The window, once its text box exists, disables
//                   its Esc button, calls initMonitor(window, box) (temporary buffer first;
//                   every text goes to `box` through the backend's appendText, as printf_API
//                   does) and enables Esc again.
//   timer 100 ms    vx::monitor::monitorTick(): nothing while vx::link::linkBusy(); Escape in
//                   the graph, a packet batch every 11th tick, the export rows.
//   Save            vx::monitor::saveMonitorText(window, boxText) -> "QM41mon.txt".
//   Display Ch.     stop the timer; if vx::monitor::displayChannels(window): close_datawindows(),
//                   disable the monitor, run the selection dialog, enable it and bring it to
//                   the top, open_datawindows() and create one channel window per entry
//                   0..ncsel-1; restart the timer in every case.
//   Esc / close     stop the timer; vx::monitor::closeMonitor({window, main, reportBox}):
//                   false keeps the monitor open (restart the timer), true: destroy it and
//                   scroll the report to the top.
//   The text box keeps at most vx::monitor::kMonitorTextLimit characters: like
//   vx::monitor::MonitorText, drop the oldest whole lines (monitor_text.h).
//
// Channel selection (dialog 1200, DlgSelCH) -- channel_selection.h
//   opening         vx::monitor::openChannelSelection(dlg) -> date, time, period, export
//                   state; the list from vx::monitor::channelList(); restart the monitor's
//                   timer (monitorTick keeps running while the dialog is open).
//   list            vx::monitor::cellLook(r, c) for the colours, clickChannelCell(r, c) on a
//                   left click (repaint when true; graphBoxesEnabled()).
//   graph boxes     vx::monitor::graphBoxClicked(boxes, which, checked).
//   period box      vx::monitor::setExportPeriod(text) -> valid (Start enabled, box not red).
//   Start           vx::monitor::startExport(dlg) (the save dialog, then the file).
//   Esc / close     vx::monitor::closeChannelSelection(boxes) (opens the graph).
//   hooks           MonitorHooks::exportElapsed (ID_TXT_SELCHEXPT), exportStopped.
//
// Channel windows (dialog 1300, DlgCanale) -- channel_windows.h
//   open_datawindows(), close_datawindows(); channelWindowText(slot) for the caption and
//   unit; placeChannelWindow(slot, n), channelWindowMoved(slot, x, y) for the places;
//   MonitorHooks::channelValue(slot, text, value) for each new value (Dataset[slot] is set
//   and the open graph drawn by the core).
//
// Sample timer (dialog 700, DlgSaTmr) -- sample_timer.h
//   vx::shell::runSampleTimer(main, [] { ...run the dialog... }); in the dialog
//   clampSaTmr(text) on Enter, applySaTmr(dlg, value) on Apply (true: close).
//
// State: monitor_state.h (Tsample_exp, InfoSELCH, the export sums), packet_batch.h
// (counters), export_file.h (the export file), pc_clock.h (the PC clock, replaceable).

#include "monitor/channel_selection.h"
#include "monitor/channel_windows.h"
#include "monitor/export_file.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_state.h"
#include "monitor/monitor_text.h"
#include "monitor/monitor_window.h"
#include "monitor/packet_batch.h"
#include "monitor/pc_clock.h"
#include "monitor/sample_timer.h"
