#include "boards/alarms.h"

#include "boards/alarm_state.h"
#include "link/com.h"
#include "link/parsers.h"
#include "ui/backend.h"

AlarmInfo AlarmDetails;

namespace vx::boards {

std::function<void(vx::ui::WindowHandle)> onAlarmsRead;

int resetAlarm(vx::ui::WindowHandle hDlg, uint8_t smsBit) {
    constexpr uint32_t kSettleMs = 500;  // the board's time to take the new register
    vx::link::LinkBusy busy;
    Alarm = uint8_t(Alarm & ~smsBit);
    sendCOMMAND(hCom, vx::ui::format("ATSA%02X\r", unsigned(Alarm)).c_str(), 13);
    if (hCom) hCom->sleepMs(kSettleMs);
    return upd_Alarm(hDlg);
}

}  // namespace vx::boards

int upd_Alarm(vx::ui::WindowHandle hDlg) {
    if (!sendCOMMAND(hCom, "ATSA\r", 13) || (iRx != 6 && iRx != 8)) return 0;
    Alarm = uint8_t(str16_to_num(Rx_buf, 2));
    AlarmDetails.inverterIndex = uint8_t(str16_to_num(Rx_buf + 2, 2));
    AlarmDetails.rmin = uint8_t(str16_to_num(Rx_buf + 4, 2));
    AlarmDetails.auxCode = iRx == 8 ? uint8_t(str16_to_num(Rx_buf + 6, 2)) : 0;
    if (vx::boards::onAlarmsRead) vx::boards::onAlarmsRead(hDlg);
    return 1;
}

std::string alarmInverterText() {
    const char* base = "Single inverter alarm";
    if (AlarmDetails.inverterIndex == 0) return base;
    return vx::ui::format("%s = %u (Rmin=%u%%)", base, unsigned(AlarmDetails.inverterIndex),
                          unsigned(AlarmDetails.rmin));
}

std::string alarmAuxText() {
    const char* base = "Auxiliaries alarm";
    unsigned code = AlarmDetails.auxCode;
    if (code == 0) return base;
    if (code == 1) return vx::ui::format("%s (INT16)", base);
    if (code == 2) return vx::ui::format("%s (No rete)", base);
    if (code >= 8 && code <= 71) return vx::ui::format("%s (In %u)", base, code - 8);
    return vx::ui::format("%s (%u)", base, code);
}
