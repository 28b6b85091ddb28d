#pragma once
// The monitor window (dialog 400) without its widgets: starting, the 100 ms timer, the
// "Save" and "Display Channels" buttons and closing.

#include <cstdint>
#include <string_view>

#include "ui/backend.h"

constexpr const char* MONITOR_FILE = "QM41mon.txt";

extern vx::ui::WindowHandle hDlgMls;  // the monitor window, null when closed

// Starts the monitor (the logger already in monitor mode, vx::shell::runMonitor): keeps
// Timeout_rx in Timeout_rx_def, copies Tsample into Tsample_exp, takes `box` as the
// monitor text box (ID_EDT_MONINFO; null in the terminal: standard output) and shows the
// records of the temporary buffer (wait window "Reading data from buffer..."). The monitor
// runs either way; 0 when the buffer could not be read (the text says so).
int32_t initMonitor(vx::ui::WindowHandle hwndDlg, vx::ui::WindowHandle box);

namespace vx::monitor {

bool monitorOpen();

// One tick of the 100 ms timer. Nothing while vx::link::linkBusy() (a procedure is using
// the link). Else: Escape in the open graph closes it; every 11th tick a packet batch;
// then the export rows.
void monitorTick();

// "Display Channels" (the window stops its timer first, and restarts it whatever the
// outcome): the lines waiting are shown, then the operating state is asked ("ATOS\r").
// True for REC or PAUSE ("05", "06"): the window then closes the channel windows
// (close_datawindows), runs the selection dialog with the monitor disabled, and opens the
// channel windows (open_datawindows). Otherwise the message has been shown:
// "Unable to read the current operating status of the datalogger" (no reply) or "This
// function requires the datalogger in RECORDING mode".
bool displayChannels(vx::ui::WindowHandle owner);

// "Save": asks "Save window data to file QM41mon.txt ?" and on Yes writes every line of
// `text` (lines end at "\n", a "\r" before it dropped; a line end at the very end opens no
// further line), at most 2000 characters each, with "\r\n" into QM41mon.txt in the current
// folder, whole or not at all. 1 when written; 0 on No or when it could not be written
// (reported).
int32_t saveMonitorText(vx::ui::WindowHandle owner, std::string_view text);
// The file's bytes for a text, as saveMonitorText writes them.
std::string monitorFileBytes(std::string_view text);

struct MonitorClose {
    vx::ui::WindowHandle monitorWindow = nullptr;  // owner of the export question
    vx::ui::WindowHandle mainWindow = nullptr;     // owner of the session reading
    vx::ui::WindowHandle reportBox = nullptr;      // the main window's ID_EDT_SES
    bool readSession = true;                       // the desktop reads the session again
};

// Esc or close. With an export running asks "Data export file will be closed. Proceed ?"
// (No: false, the monitor stays open). Then the export closed, the channel windows and the
// graph closed, the lines still waiting shown, "ATCM08\r" sent (monitor mode off), the
// receive time-out put back, the selection cleared and the channel windows' places
// forgotten; the session read again with its report written into reportBox (the window
// scrolls it to the top). True: the window is destroyed.
bool closeMonitor(const MonitorClose& how);

// Start-up state (initVAR): no monitor, the tick count at 0.
void resetMonitorWindow();

}  // namespace vx::monitor
