#include "shell/logger_modes.h"

#include "link/com.h"
#include "session/session_state.h"
#include "state/flags.h"

namespace vx::shell {

int runSampleTimer(vx::ui::WindowHandle owner, const std::function<void()>& dialog) {
    clearRxBuf(hCom);
    if (sendCOMMAND(hCom, "ATOS\r", 13) != 1) {
        vx::ui::message(owner, "Unable to read the datalogger operating status", "Com Error", vx::ui::Icon::Error);
        return 0;
    }
    Flag.stato_idle = iRx >= 2 && Rx_buf[0] == '0' && Rx_buf[1] == '0' ? 1 : 0;
    if (!vx::link::requestOk("ATCM06\r")) return 0;
    if ((StatusReg & 0x10) == 0)
        vx::ui::message(owner,
                        "Make sure the datalogger is in the initial state ASSIGNMENT\r\n (B LED lit green)",
                        "Warning", vx::ui::Icon::Warning);
    else
        vx::ui::message(owner, "Make sure the datalogger is in READY status\r\n (B LED lit yellow)", "Warning",
                        vx::ui::Icon::Warning);
    if (dialog) dialog();
    if (Flag.stato_idle == 1) sendCOMMAND(hCom, "ATCM05\r", 13);
    return 1;
}

void runMonitor(vx::ui::WindowHandle, const std::function<void()>& monitor) {
    sendCOMMAND(hCom, "ATCM07\r", 13);  // the reply is not examined
    if (monitor) monitor();
}

}  // namespace vx::shell
