#include "monitor/channel_windows.h"

#include "graphs/datalogger/realtime_graph.h"
#include "monitor/monitor_state.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"
#include "ui/backend.h"

namespace {

constexpr int32_t kRowStep = 100;
constexpr int32_t kGrid = 20;
bool gOpen;

int32_t floorTo(int32_t v, int32_t step) {
    return v >= 0 ? v / step * step : -((-v + step - 1) / step * step);
}

}  // namespace

void open_datawindows() {
    int used = 0;
    for (int i = 0; i < NWINMAX; ++i) {
        if (InfoSELCH.canale[i] == 0) continue;
        InfoSELCH.nodo[used] = InfoSELCH.nodo[i];
        InfoSELCH.canale[used] = InfoSELCH.canale[i];
        ++used;
    }
    for (int i = used; i < NWINMAX; ++i)
        InfoSELCH.nodo[i] = InfoSELCH.canale[i] = 0;
    InfoSELCH.ncsel = uint32_t(used);
    gOpen = true;
}

void close_datawindows() {
    gOpen = false;
    if (Flag_Graph != 0) {
        Flag_Graph = 0;
        Close_Graph();
    }
}

bool datawindowsOpen() {
    return gOpen;
}

namespace vx::monitor {

ChannelWindowText channelWindowText(int slot) {
    if (slot < 0 || slot >= NWINMAX || InfoSELCH.canale[slot] < 2) return {};
    int k = int(InfoSELCH.nodo[slot]) + 1;
    int j = int(InfoSELCH.canale[slot]) - 2;
    if (k > TotalNodeNum || k > MAX_NODES || j >= InfoFE[k].chanu_logic) return {};
    uint8_t code = vx::session::quantityCode(InfoFE[k], j);
    return {vx::ui::format("CH%u_%u: %s", unsigned(InfoFE[k].nodead), unsigned(j + 1), Lista_Grandezze[code]),
            Unita_di_misura[code]};
}

ScreenPoint placeChannelWindow(int slot, int creationNumber) {
    if (slot < 0 || slot >= NWINMAX) return {0, 0};
    WindowPlace& p = PosWin[slot];
    if (!p.enabled) p = {0, kRowStep * creationNumber, 1};
    return {p.x, p.y};
}

ScreenPoint channelWindowMoved(int slot, int32_t x, int32_t y) {
    if (slot < 0 || slot >= NWINMAX) return {x, y};
    PosWin[slot] = {floorTo(x, kGrid), floorTo(y, kGrid), 1};
    return {PosWin[slot].x, PosWin[slot].y};
}

void forgetChannelWindowPlaces() {
    for (WindowPlace& p : PosWin)
        p = {};
}

void resetChannelWindows() {
    gOpen = false;
    forgetChannelWindowPlaces();
}

}  // namespace vx::monitor
