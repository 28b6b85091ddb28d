#pragma once
// The energy-monitoring board's alarm query and what the main window shows of it.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/backend.h"

struct AlarmInfo {
    uint8_t inverterIndex;  // inverter in alarm, 0 = none
    uint8_t rmin;           // its efficiency, percent
    uint8_t auxCode;        // auxiliary alarm code
};

extern AlarmInfo AlarmDetails;

// Reads the alarm register ("ATSA\r"); 1 when read, 0 when the query failed (nothing
// changed). On success the window that shows the alarms is told to refresh.
int upd_Alarm(vx::ui::WindowHandle hDlg);

// Texts of the inverter and auxiliaries rows for the last register read.
std::string alarmInverterText();
std::string alarmAuxText();

namespace vx::boards {
// An "R" button: clears the alarm's "SMS active" bit on the board, gives the board time to
// take the new register, and reads it back (upd_Alarm). 1 when the register was read back.
int resetAlarm(vx::ui::WindowHandle hDlg, uint8_t smsBit);
// Set by the window that shows the alarms (the main window); called after each read.
extern std::function<void(vx::ui::WindowHandle)> onAlarmsRead;
}  // namespace vx::boards
