#include "shell/defaults.h"

#include <cstring>

#include "boards/alarm_state.h"
#include "boards/board_image.h"
#include "boards/board_params.h"
#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "monitor/monitor_state.h"
#include "session/session_state.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"

void initVAR() {
    std::memset(&Flag, 0, sizeof Flag);
    Flag.fast_read = 1;

    Porte.clear();
    Nport = 0;
    setCommPort("COMx ");
    hCom = nullptr;
    BR_value = 256000;
    Datalogger = {};
    FW_release[0] = 0;

    Timeout_rx = TO_RX_FAST;
    Timeout_rx_def = 0;
    TMO_value = 0;
    std::memset(Rx_buf, 0, sizeof Rx_buf);
    iRx = 0;
    std::memset(Ntel, 0, sizeof Ntel);
    Stato_OPM = 0;
    Modem_fback = MODEM_NO_CODE;

    MaxEdit = 8;
    EditBuf[0] = TitoloBuf[0] = 0;
    InputMin = InputMax = 0;
    Ndec = 0;

    Data_file[0] = 0;
    Data_dir[0] = 0;
    vx::session::resetSessionState();
    resetAlarmState();
    resetBoardImage();
    std::memset(Parcfg, 0, sizeof Parcfg);
    vx::monitor::resetMonitorState();
}
