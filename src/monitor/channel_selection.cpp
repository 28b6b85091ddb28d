#include "monitor/channel_selection.h"

#include <cstring>

#include "graphs/datalogger/realtime_graph.h"
#include "link/transaction.h"
#include "monitor/export_file.h"
#include "monitor/monitor_state.h"
#include "monitor/packet_batch.h"
#include "monitor/pc_clock.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"

vx::ui::WindowHandle hDlgSel;

void initSELCH() {
    InfoSELCH = {};
}

namespace vx::monitor {
namespace {

constexpr int kFirstChannelColumn = 2;
constexpr int kNodeWidth = 50, kVbatWidth = 70, kChannelWidth = 140;
constexpr float kGraphMin = -50.0f, kGraphMax = 50.0f;
constexpr uint32_t kGraphPoints = 500;

int nodeCount() {
    return TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
}

// The cell holds a channel name: a row of the session and a logical channel of its node.
bool channelCell(int row, int column) {
    return row >= 0 && row < nodeCount() && column >= kFirstChannelColumn &&
           column - kFirstChannelColumn < InfoFE[row + 1].chanu_logic;
}

int slotOf(int row, int column) {
    for (int i = 0; i < NWINMAX; ++i)
        if (InfoSELCH.canale[i] != 0 && InfoSELCH.nodo[i] == uint32_t(row) &&
            InfoSELCH.canale[i] == uint32_t(column))
            return i;
    return -1;
}

std::string startText(const char* fmt, int a, int b, int c, int d, int e, int f) {
    if (std::strlen(DataTimeSS) < 13) return {};
    const char* s = DataTimeSS;
    return vx::ui::format(fmt, s[a], s[b], s[c], s[d], s[e], s[f]);
}

}  // namespace

SelectionView openChannelSelection(vx::ui::WindowHandle dlg) {
    Flag.pages[0] = 0;
    Timeout_rx = Timeout_rx_def;
    // Lines already waiting are shown before the session commands take the link.
    runPacketBatch();
    initSession(Flag.pages, dlg);
    hDlgSel = dlg;
    SelectionView v;
    v.date = startText("%c%c/%c%c/%c%c", 4, 5, 2, 3, 0, 1);
    v.time = startText("%c%c:%c%c:%c%c", 7, 8, 9, 10, 11, 12);
    v.graphBoxesEnabled = graphBoxesEnabled();
    v.period = vx::ui::format("%u", unsigned(Tsample_exp));
    v.exporting = exportRunning();
    if (v.exporting) v.elapsed = exportElapsedText(uint32_t(pcNow()));
    return v;
}

ChannelList channelList() {
    ChannelList list;
    int widest = 0;
    for (int k = 1; k <= nodeCount(); ++k)
        if (InfoFE[k].chanu_logic > widest) widest = InfoFE[k].chanu_logic;
    list.heads = {"Node", "Vbat (V)"};
    list.widths = {kNodeWidth, kVbatWidth};
    for (int j = 1; j <= widest; ++j) {
        list.heads.push_back(vx::ui::format("CH%u", unsigned(j)));
        list.widths.push_back(kChannelWidth);
    }
    for (int k = 1; k <= nodeCount(); ++k) {
        const datitab& node = InfoFE[k];
        // The battery the monitor last received from the node, else the table's.
        uint16_t vbat = Vbat_curr[k] != 0 ? Vbat_curr[k] : node.vbat;
        std::vector<std::string> row = {vx::ui::format("%5u", unsigned(node.nodead)),
                                        vx::ui::format("%1.2f", vbat / 100.0)};
        for (int j = 0; j < node.chanu_logic; ++j)
            row.emplace_back(Lista_Grandezze[vx::session::quantityCode(node, j)]);
        list.rows.push_back(std::move(row));
    }
    return list;
}

CellLook cellLook(int row, int column) {
    if (column < kFirstChannelColumn) return CellLook::Fixed;
    return slotOf(row, column) >= 0 ? CellLook::Selected : CellLook::Plain;
}

bool clickChannelCell(int row, int column) {
    if (!channelCell(row, column)) return false;
    int slot = slotOf(row, column);
    if (slot >= 0) {
        InfoSELCH.nodo[slot] = InfoSELCH.canale[slot] = 0;
        --InfoSELCH.ncsel;
        return true;
    }
    if (InfoSELCH.ncsel >= uint32_t(NWINMAX)) return false;
    for (int i = 0; i < NWINMAX; ++i) {
        if (InfoSELCH.canale[i] != 0) continue;
        InfoSELCH.nodo[i] = uint32_t(row);
        InfoSELCH.canale[i] = uint32_t(column);
        ++InfoSELCH.ncsel;
        return true;
    }
    return false;
}

bool graphBoxesEnabled() {
    return InfoSELCH.ncsel > 0;
}

void graphBoxClicked(GraphBoxes& boxes, GraphBox clicked, bool nowChecked) {
    bool& mine = clicked == GraphBox::Graph ? boxes.graph : boxes.graphCur;
    bool& other = clicked == GraphBox::Graph ? boxes.graphCur : boxes.graph;
    mine = nowChecked;
    if (nowChecked && other) {
        other = false;
        Ymin_def = kGraphMin;
        Ymax_def = kGraphMax;
    }
}

bool setExportPeriod(const std::string& typed) {
    // Whole decimal numbers only; a long one stops counting once it is out of range.
    uint32_t v = 0;
    bool valid = !typed.empty();
    for (char c : typed) {
        valid = valid && c >= '0' && c <= '9';
        if (valid && v <= 65535) v = v * 10 + uint32_t(c - '0');
    }
    valid = valid && v >= 1 && v <= 65535;
    if (valid) Tsample_exp = uint16_t(v);
    Flag.sample_error_exp = valid ? 0 : 1;
    return valid;
}

void closeChannelSelection(const GraphBoxes& boxes) {
    const int32_t n = int32_t(InfoSELCH.ncsel);
    if (n > 0 && boxes.graph) {
        Init_Graph2("Sliding data", 319, 0, 0.7f, Ymin_def, Ymax_def, kGraphPoints, n);
        Flag_Graph = 2;
    } else if (n > 0 && boxes.graphCur) {
        Init_Graph1("Sliding cursor", 319, 0, 0.7f, Ymin_def, Ymax_def, kGraphPoints, n);
        Flag_Graph = 1;
    }
    hDlgSel = nullptr;
}

}  // namespace vx::monitor
