#include "monitor/monitor_state.h"

#include "monitor/channel_selection.h"
#include "monitor/channel_windows.h"
#include "monitor/export_file.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_text.h"
#include "monitor/monitor_window.h"
#include "monitor/packet_batch.h"
#include "session/session_state.h"

uint16_t Tsample_exp = TCF_DEF;
INFOSEL InfoSELCH;
WindowPlace PosWin[NWINMAX];
uint32_t StartExpTime, RefExpTime;
float ExpoCh[EXPORT_MAX_CH];
int32_t ExpoN[EXPORT_MAX_CH];
int8_t ExpoGra[EXPORT_MAX_CH];

void vx::monitor::resetMonitorState() {
    closeExport();
    Tsample_exp = TCF_DEF;
    StartExpTime = RefExpTime = 0;
    for (int i = 0; i < EXPORT_MAX_CH; ++i) {
        ExpoCh[i] = 0;
        ExpoN[i] = 0;
        ExpoGra[i] = 0;
    }
    initSELCH();
    resetChannelWindows();
    hDlgSel = nullptr;
    resetMonitorWindow();
    setMonitorBox(nullptr);
    monitorText().clear();
    setMonitorHooks({});
    resetPacketLoop();
}
