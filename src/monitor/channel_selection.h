#pragma once
// The channel selection dialog (dialog 1200, "Measurement channels") without its widgets:
// the session start texts, the channel list, the click rule, the graph boxes, the export
// period and the opening and closing steps.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/backend.h"

extern vx::ui::WindowHandle hDlgSel;  // the selection dialog while it is open, else null

// Clears the selection (every slot free, ncsel 0).
void initSELCH();

namespace vx::monitor {

// What the dialog shows when it opens (after the session was read again).
struct SelectionView {
    std::string date;  // ID_EDT_SELDATA, "DD/MM/YY" ("" when the session start is unknown)
    std::string time;  // ID_EDT_SELORA, "hh:mm:ss"
    bool graphBoxesEnabled = false;
    std::string period;      // ID_EDT_SELCHSAMPLE, Tsample_exp
    bool exporting = false;  // show the elapsed time instead of Start, period box disabled
    std::string elapsed;     // ID_TXT_SELCHEXPT while exporting
};

// The dialog opens: the receive time-out put back, the lines waiting shown in the monitor,
// the session read again (initSession over `dlg`, with its wait window and questions),
// hDlgSel = dlg. The window then fills the list and restarts the monitor's timer.
SelectionView openChannelSelection(vx::ui::WindowHandle dlg);

// The list: column heads and widths, and one row of texts per session node.
struct ChannelList {
    std::vector<std::string> heads;              // "Node", "Vbat (V)", "CH1" ... up to the widest node
    std::vector<int> widths;                     // 50, 70, 140 ... pixels
    std::vector<std::vector<std::string>> rows;  // "%5u" address, "%1.2f" V, quantity names
};
ChannelList channelList();

enum class CellLook { Fixed, Selected, Plain };  // light grey, yellow, white
CellLook cellLook(int row, int column);

// A left click on a cell: toggles it when it is a channel cell holding text (row >= 0,
// column >= 2); a new channel takes the lowest free slot while fewer than 8 are selected.
// True when the selection changed (repaint the list; graphBoxesEnabled() may change).
bool clickChannelCell(int row, int column);
bool graphBoxesEnabled();  // ncsel > 0

// The exclusive "Graph" and "Graph Cur" boxes. A click sets the clicked box; checking one
// while the other is checked unchecks the other and puts the graph range back to -50..50.
struct GraphBoxes {
    bool graph = false;     // ID_CHK_SELGRAPH, sliding data
    bool graphCur = false;  // ID_CHK_SELGRAPHC, sliding cursor
};
enum class GraphBox { Graph, GraphCur };
void graphBoxClicked(GraphBoxes& boxes, GraphBox clicked, bool nowChecked);

// The export period as typed: 1..65535 sets Tsample_exp and clears
// Flag.sample_error_exp (Start enabled); anything else sets the flag (Start disabled, box
// painted red). True when valid.
bool setExportPeriod(const std::string& typed);

// Esc or close: with channels selected, opens the graph its box asks for ("Sliding data"
// with Init_Graph2, Flag_Graph 2; else "Sliding cursor" with Init_Graph1, Flag_Graph 1);
// hDlgSel = null.
void closeChannelSelection(const GraphBoxes& boxes);

}  // namespace vx::monitor
