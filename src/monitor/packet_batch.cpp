#include "monitor/packet_batch.h"

#include <cstdio>
#include <ctime>

#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "link/transaction.h"
#include "monitor/channel_logic.h"
#include "monitor/channel_windows.h"
#include "monitor/export_file.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_state.h"
#include "monitor/monitor_text.h"
#include "monitor/packet_line.h"
#include "monitor/pc_clock.h"
#include "platform/local_time.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"

namespace vx::monitor {
namespace {

constexpr uint64_t kBatchBudgetMs = 250;

MonitorStats gStats;
MonitorHooks gHooks;
bool gResync;    // the next line is the rest of one too long for the receive buffer
bool gLinkLost;  // reported once per monitor run

// "hh:mm:ss" of the PC's local time, worked out once a second.
const char* clockText() {
    static std::time_t shown = -1;
    static char text[16];
    std::time_t now = pcNow();
    if (now != shown) {
        shown = now;
        std::tm t = vx::platform::localTime(now);
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    }
    return text;
}

void showBroadcast(const Packet& p, TextLine& out) {
    out.add("BC>> NodeAd= %u ChaNu= %u SaTmr= %u ", unsigned(p.address), unsigned(p.channels),
            unsigned(p.satmr));
    for (int i = 0; i < p.channels; ++i)
        out.add("Cf[%u]= 0x%04X ", unsigned(i), unsigned(p.words[i]));
    out.add("Vbat= %u\r\n", unsigned(p.battery));
    ++gStats.broadcasts;
}

void showRaw(const Packet& p, TextLine& out) {
    out.add(" NodeAd= %u ", unsigned(p.address));
    for (int i = 0; i < p.channels; ++i)
        out.add("vx[%u]= %d ", unsigned(i), int(int16_t(p.words[i])));
    out.add("Tboard= %d Vbat= %u\r\n", int(p.temperature), unsigned(p.battery));
    ++gStats.dataRaw;
}

// The selection entries of node k that the channel windows and the graph follow.
void feedChannelWindows(int k, const datitab& node, const char (*texts)[ADJ_TEXT_MAX], const float* values) {
    if (!datawindowsOpen()) return;
    for (uint32_t i = 0; i < InfoSELCH.ncsel && i < uint32_t(NWINMAX); ++i) {
        if (InfoSELCH.nodo[i] + 1 != uint32_t(k) || InfoSELCH.canale[i] < 2) continue;
        uint32_t j = InfoSELCH.canale[i] - 2;
        if (j >= node.chanu_logic) continue;
        Dataset[i] = values[j];
        if (gHooks.channelValue) gHooks.channelValue(int(i), texts[j], values[j]);
        if (Flag_Graph == 2) Plot_Graph2(Dataset);
        if (Flag_Graph == 1) Plot_Graph1(Dataset);
    }
}

void showData(const Packet& p, TextLine& out) {
    out.add("%s>>", clockText());
    int16_t vx[kMaxPacketChannels];
    for (int i = 0; i < p.channels; ++i)
        vx[i] = int16_t(p.words[i]);
    int32_t k = 0;
    int32_t logic[MAX_LOGIC_CH];
    if (!getCHlogic(&k, logic, vx, p.channels, p.address)) return showRaw(p, out);

    const datitab& node = InfoFE[k];
    char texts[MAX_LOGIC_CH][ADJ_TEXT_MAX];
    float values[MAX_LOGIC_CH];
    for (int j = 0; j < node.chanu_logic; ++j)
        vx::session::adjValueText(texts[j], int8_t(vx::session::quantityCode(node, j)), logic[j], &values[j]);

    feedChannelWindows(k, node, texts, values);
    for (int n = 1; n <= TotalNodeNum && n <= MAX_NODES; ++n)
        if (InfoFE[n].nodead == p.address) Vbat_curr[n] = p.battery;
    if (exportRunning()) {
        addToExport(k, values, node.chanu_logic);
        gStats.exportValues += node.chanu_logic;
    }
    for (int j = 0; j < node.chanu_logic; ++j)
        out.add(" CH%u_%u= %s", unsigned(node.nodead), unsigned(j + 1), texts[j]);
    out.add(" Tboard= %1.1f Vbat= %1.2f\r\n", double(float(p.temperature) / 10.0f),
            double(float(p.battery) / 100.0f));
    ++gStats.dataSession;
}

void showTest(const Packet& p, TextLine& out) {
    out.add("TEST>> NodeAd= %u %s", unsigned(p.address), p.result);
    out.add("\r\n");
    ++gStats.tests;
}

void reportLinkLost() {
    if (gLinkLost) return;
    gLinkLost = true;
    std::string why = vx::link::lastFailureText();
    vx::ui::message(nullptr,
                    "The datalogger is no longer connected: the monitor receives nothing more." +
                        (why.empty() ? std::string() : "\r\n\r\n(" + why + ")"),
                    "Com Error", vx::ui::Icon::Error);
}

}  // namespace

const MonitorStats& monitorStats() {
    return gStats;
}

void resetMonitorStats() {
    gStats = {};
}

void setMonitorHooks(MonitorHooks hooks) {
    gHooks = std::move(hooks);
}

const MonitorHooks& monitorHooks() {
    return gHooks;
}

void handlePacketLine(const uint8_t* line, size_t len) {
    ++gStats.lines;
    Packet p = decodePacketLine(line, len);
    TextLine out;
    switch (p.kind) {
        case PacketKind::Broadcast:
            showBroadcast(p, out);
            break;
        case PacketKind::Data:
            showData(p, out);
            break;
        case PacketKind::Test:
            showTest(p, out);
            break;
        case PacketKind::Unknown:
        case PacketKind::Malformed:
            ++gStats.dropped;
            return;
    }
    showText(out.text());
}

int runPacketBatch() {
    vx::link::LinkBusy busy;
    Timeout_rx = TO_RX_FAST;
    int received = 0;
    const uint64_t start = hCom ? hCom->nowMs() : 0;
    while (sendCOMMAND(hCom, "", 13) == 1) {
        ++received;
        if (gResync) {
            gResync = false;
            ++gStats.dropped;
        } else {
            handlePacketLine(Rx_buf, size_t(iRx));
        }
        if (hCom->nowMs() - start >= kBatchBudgetMs) break;
    }
    switch (vx::link::lastTransaction().error) {
        case vx::link::TxError::Overflow:
            // Its rest, up to the next line end, comes first in the next batch.
            ++gStats.overflows;
            gResync = true;
            break;
        case vx::link::TxError::PortGone:
            reportLinkLost();
            break;
        default:
            break;
    }
    Timeout_rx = Timeout_rx_def;
    return received;
}

bool monitorLinkLost() {
    return gLinkLost;
}

void resetPacketLoop() {
    gResync = false;
    gLinkLost = false;
    gStats = {};
}

}  // namespace vx::monitor
