#include "monitor/monitor_window.h"

#include <string>

#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "link/transaction.h"
#include "monitor/channel_selection.h"
#include "monitor/channel_windows.h"
#include "monitor/export_file.h"
#include "monitor/monitor_command.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_state.h"
#include "monitor/monitor_text.h"
#include "monitor/packet_batch.h"
#include "monitor/temp_buffer_view.h"
#include "platform/atomic_file.h"
#include "session/session_reader.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "state/flags.h"

vx::ui::WindowHandle hDlgMls;

namespace vx::monitor {
namespace {

constexpr uint32_t kTicksPerBatch = 10;  // a batch when the count passes 10: every 11th tick
constexpr size_t kSavedLineMax = 2000;

uint32_t gTicks;
bool gOpen;

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

}  // namespace

bool monitorOpen() {
    return gOpen;
}

void monitorTick() {
    if (!gOpen || vx::link::linkBusy()) return;
    if (Flag_Graph > 0 && Gest_Curs() == 27) {
        Flag_Graph = 0;
        Close_Graph();
    }
    if (++gTicks > kTicksPerBatch) {
        gTicks = 0;
        runPacketBatch();
    }
    exportTick();
}

bool displayChannels(vx::ui::WindowHandle owner) {
    bool answered;
    {
        vx::link::LinkBusy busy;
        Timeout_rx = Timeout_rx_def;
        runPacketBatch();
        answered = monitorCommand("ATOS\r");
    }
    if (!answered) {
        vx::ui::message(owner, "Unable to read the current operating status of the datalogger", "Com Error",
                        Icon::Error);
        return false;
    }
    bool recording = iRx >= 2 && Rx_buf[0] == '0' && (Rx_buf[1] == '5' || Rx_buf[1] == '6');
    if (!recording)
        vx::ui::message(owner, "This function requires the datalogger in RECORDING mode", "Warning",
                        Icon::Warning);
    return recording;
}

std::string monitorFileBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(line.substr(0, kSavedLineMax));
        out.append("\r\n");
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
    }
    return out;
}

int32_t saveMonitorText(vx::ui::WindowHandle owner, std::string_view text) {
    if (vx::ui::message(owner, "Save window data to file QM41mon.txt ?", "Question", Icon::Question,
                        Buttons::YesNo) != Answer::Yes)
        return 0;
    const std::string bytes = monitorFileBytes(text);
    std::string error;
    if (vx::platform::writeFileAtomically(MONITOR_FILE, bytes.data(), bytes.size(), &error)) return 1;
    vx::ui::message(owner, std::string(MONITOR_FILE) + " can not be written !\r\n\r\n(" + error + ")",
                    "File Error", Icon::Error);
    return 0;
}

bool closeMonitor(const MonitorClose& how) {
    if (exportRunning()) {
        if (vx::ui::message(how.monitorWindow, "Data export file will be closed. Proceed ?", "Warning",
                            Icon::Warning, Buttons::YesNo) != Answer::Yes)
            return false;
        closeExport();
    }
    close_datawindows();
    {
        vx::link::LinkBusy busy;
        runPacketBatch();
        Timeout_rx = Timeout_rx_def;
        // The logger streams on until it has taken "ATCM08": without its "OK" (the command or
        // the answer lost) it is asked again; outside monitor mode it just answers "OK".
        for (int i = 0; i < 3; ++i)
            if (monitorCommand("ATCM08\r") && RICEVUTO_OK()) break;
    }
    gOpen = false;
    hDlgMls = nullptr;
    hDlgSel = nullptr;
    setMonitorHooks({});
    initSELCH();
    forgetChannelWindowPlaces();
    Timeout_rx = Timeout_rx_def;
    if (how.readSession) {
        Flag.pages[0] = 0;
        initSession(Flag.pages, how.mainWindow);
        if (Flag.pages_error == 0 && how.reportBox) printInfoSes(how.reportBox, Flag.verbose);
    }
    return true;
}

void resetMonitorWindow() {
    gTicks = 0;
    gOpen = false;
    hDlgMls = nullptr;
}

}  // namespace vx::monitor

int32_t initMonitor(vx::ui::WindowHandle hwndDlg, vx::ui::WindowHandle box) {
    using namespace vx::monitor;
    Timeout_rx_def = Timeout_rx;
    Tsample_exp = Tsample;
    hDlgMls = hwndDlg;
    setMonitorBox(box);
    monitorText().clear();
    resetPacketLoop();
    gTicks = 0;
    gOpen = true;
    return showTemporaryBuffer(hwndDlg) ? 1 : 0;
}
