// The channel selection and its windows: the click rule (at most eight, the lowest free
// slot, only cells with a channel), the compaction when the windows open, the list, the
// graph boxes, the export period, the windows' places; and the sample timer dialog.

#include <gtest/gtest.h>

#include "monitor_fixture.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using namespace vx::monitor;

class MonitorSelection : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        // Three nodes of 3, 4 and 2 logical channels (the second with a 32-bit pair).
        loadSession({{5, {0x0001, 0x0004, 0x0007}, 3600},
                     {200, {0x0001, 0x0000, 0x0010, 0x000B, 0x000C}, 2980},
                     {9, {0x0013, 0x0011}, 3300}});
    }
    // The selection as "row:column" per slot, "-" for a free one.
    static std::string slots() {
        std::string s;
        for (int i = 0; i < NWINMAX; ++i)
            s += InfoSELCH.canale[i]
                     ? std::to_string(InfoSELCH.nodo[i]) + ":" + std::to_string(InfoSELCH.canale[i]) + " "
                     : "- ";
        return s + "n=" + std::to_string(InfoSELCH.ncsel);
    }
};

TEST_F(MonitorSelection, ClicksTakeTheLowestFreeSlotUpToEight) {
    const struct {
        int row, column;
        bool changed;
        const char* after;
    } clicks[] = {
        {0, 0, false, "- - - - - - - - n=0"},   // Node column
        {1, 1, false, "- - - - - - - - n=0"},   // Vbat column
        {0, 5, false, "- - - - - - - - n=0"},   // node 5 has three channels
        {3, 2, false, "- - - - - - - - n=0"},   // no fourth node
        {-1, 2, false, "- - - - - - - - n=0"},  // the heading
        {0, 2, true, "0:2 - - - - - - - n=1"},
        {0, 3, true, "0:2 0:3 - - - - - - n=2"},
        {1, 2, true, "0:2 0:3 1:2 - - - - - n=3"},
        {0, 3, true, "0:2 - 1:2 - - - - - n=2"},    // deselected: its slot is free
        {2, 3, true, "0:2 2:3 1:2 - - - - - n=3"},  // the lowest free slot again
        {1, 3, true, "0:2 2:3 1:2 1:3 - - - - n=4"},
        {1, 4, true, "0:2 2:3 1:2 1:3 1:4 - - - n=5"},
        {1, 5, true, "0:2 2:3 1:2 1:3 1:4 1:5 - - n=6"},
        {0, 4, true, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 - n=7"},
        {2, 2, true, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 2:2 n=8"},
        {0, 3, false, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 2:2 n=8"},  // a ninth is refused
        {1, 2, true, "0:2 2:3 - 1:3 1:4 1:5 0:4 2:2 n=7"},
        {0, 3, true, "0:2 2:3 0:3 1:3 1:4 1:5 0:4 2:2 n=8"},
    };
    for (const auto& c : clicks) {
        EXPECT_EQ(clickChannelCell(c.row, c.column), c.changed) << c.row << ":" << c.column;
        EXPECT_EQ(slots(), c.after) << c.row << ":" << c.column;
    }
    EXPECT_EQ(cellLook(0, 0), CellLook::Fixed);
    EXPECT_EQ(cellLook(0, 1), CellLook::Fixed);
    EXPECT_EQ(cellLook(2, 3), CellLook::Selected);
    EXPECT_EQ(cellLook(2, 4), CellLook::Plain);
}

TEST_F(MonitorSelection, OpeningTheWindowsMovesTheEntriesToTheFront) {
    for (auto [r, c] : {std::pair{0, 2}, {0, 3}, {1, 2}, {2, 3}})
        clickChannelCell(r, c);
    clickChannelCell(0, 2);
    clickChannelCell(1, 2);
    EXPECT_EQ(slots(), "- 0:3 - 2:3 - - - - n=2");
    EXPECT_FALSE(datawindowsOpen());
    open_datawindows();
    EXPECT_TRUE(datawindowsOpen());
    EXPECT_EQ(slots(), "0:3 2:3 - - - - - - n=2");
    EXPECT_EQ(channelWindowText(0).caption, "CH5_2: Relative Humidity (0.00 %)");
    EXPECT_EQ(channelWindowText(0).unit, "%");
    EXPECT_EQ(channelWindowText(1).caption, "CH9_2: Power (0.00 kW)");
    EXPECT_EQ(channelWindowText(2).caption, "");
    close_datawindows();
    EXPECT_FALSE(datawindowsOpen());
}

TEST_F(MonitorSelection, ChannelListShowsTheNodesAndTheirLastBattery) {
    Vbat_curr[2] = 2875;  // the monitor heard node 200
    ChannelList l = channelList();
    EXPECT_EQ(l.heads, (std::vector<std::string>{"Node", "Vbat (V)", "CH1", "CH2", "CH3", "CH4"}));
    EXPECT_EQ(l.widths, (std::vector<int>{50, 70, 140, 140, 140, 140}));
    ASSERT_EQ(l.rows.size(), 3u);
    EXPECT_EQ(l.rows[0], (std::vector<std::string>{"    5", "36.00",
                                                   "Temperature (0.00 \xB0"
                                                   "C)",
                                                   "Relative Humidity (0.00 %)", "DC Voltage (0.0 V)"}));
    EXPECT_EQ(l.rows[1], (std::vector<std::string>{"  200", "28.75",
                                                   "Temperature (0.00 \xB0"
                                                   "C)",
                                                   "Energy (0.0 kWh)", "DC Power (W)", "Active Power (W)"}));
    EXPECT_EQ(l.rows[2][0], "    9");
    EXPECT_EQ(l.rows[2][1], "33.00");
}

TEST_F(MonitorSelection, GraphBoxesExcludeEachOtherAndResetTheRange) {
    GraphBoxes b;
    Ymin_def = -5, Ymax_def = 7;
    graphBoxClicked(b, GraphBox::Graph, true);
    EXPECT_TRUE(b.graph);
    EXPECT_EQ(Ymin_def, -5.0f) << "nothing to uncheck: the range stays";
    graphBoxClicked(b, GraphBox::GraphCur, true);
    EXPECT_FALSE(b.graph);
    EXPECT_TRUE(b.graphCur);
    EXPECT_EQ(Ymin_def, -50.0f);
    EXPECT_EQ(Ymax_def, 50.0f);
    graphBoxClicked(b, GraphBox::GraphCur, false);
    EXPECT_FALSE(b.graph || b.graphCur);

    // Esc opens the graph a box asks for, only with channels selected.
    closeChannelSelection({true, false});
    EXPECT_EQ(Flag_Graph, 0);
    clickChannelCell(0, 2);
    closeChannelSelection({false, true});
    EXPECT_EQ(Flag_Graph, 1);
    Flag_Graph = 0;
    closeChannelSelection({true, false});
    EXPECT_EQ(Flag_Graph, 2);
    EXPECT_EQ(hDlgSel, nullptr);
}

TEST_F(MonitorSelection, ExportPeriodAcceptsOneTo65535) {
    const struct {
        const char* typed;
        bool valid;
        uint16_t kept;
    } cases[] = {{"10", true, 10},   {"0", false, 10},  {"65535", true, 65535}, {"65536", false, 65535},
                 {"", false, 65535}, {"1", true, 1},    {"00042", true, 42},    {"99999999999", false, 42},
                 {"12a", false, 42}, {"-5", false, 42}, {" 7", false, 42}};
    for (const auto& c : cases) {
        EXPECT_EQ(setExportPeriod(c.typed), c.valid) << c.typed;
        EXPECT_EQ(Tsample_exp, c.kept) << c.typed;
        EXPECT_EQ(Flag.sample_error_exp, c.valid ? 0 : 1) << c.typed;
    }
}

TEST_F(MonitorSelection, ChannelWindowsStandDownTheLeftEdgeAndSnapToTwenty) {
    for (int n = 0; n < 4; ++n) {
        ScreenPoint p = placeChannelWindow(n, n);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 100 * n);
    }
    ScreenPoint moved = channelWindowMoved(2, 137, 59);
    EXPECT_EQ(moved.x, 120);
    EXPECT_EQ(moved.y, 40);
    ScreenPoint again = placeChannelWindow(2, 0);
    EXPECT_EQ(again.x, 120) << "a window reuses its remembered place";
    EXPECT_EQ(again.y, 40);
    forgetChannelWindowPlaces();
    EXPECT_EQ(placeChannelWindow(2, 0).y, 0);
}

TEST_F(MonitorSelection, SampleTimerClampsAndSends) {
    const struct {
        const char* typed;
        uint16_t value;
    } clamps[] = {{"180", 180}, {"70000", 65535}, {"65535", 65535},         {"0", 0}, {"-5", 0}, {"abc", 0},
                  {"", 0},      {"12x", 12},      {"99999999999999", 65535}};
    for (const auto& c : clamps)
        EXPECT_EQ(clampSaTmr(c.typed), c.value) << c.typed;

    connectStream();
    device->replies["ATST0000"] = "OK";
    device->replies["ATSTFFFF"] = "OK";
    device->replies["ATST00B4"] = "ERR";
    bool answered = true;
    EXPECT_FALSE(applySaTmr(nullptr, 0, &answered)) << "0: the dialog stays open";
    EXPECT_TRUE(answered);
    EXPECT_TRUE(ui.messages.empty());
    StatusReg = 0x00;
    EXPECT_TRUE(applySaTmr(nullptr, clampSaTmr("70000")));
    StatusReg = 0x10;
    EXPECT_TRUE(applySaTmr(nullptr, 180, &answered));
    EXPECT_FALSE(answered);
    EXPECT_EQ(port->writtenText(), "ATST0000\rATSTFFFF\rATST00B4\r");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(
        ui.messages[0].text,
        "1) Activate the nodes with WX2x devices to be modified \r\n2) After all nodes have been recognized "
        "invoke the test procedure\r\n3) Turn off all nodes and return to the ASSIGNMENT status");
    EXPECT_EQ(ui.messages[1].text,
              "Execute the test routine (P button) and wait for the return to ASSIGNMENT status");
    EXPECT_EQ(ui.messages[1].caption, "Info");
    EXPECT_EQ(ui.messages[1].icon, vx::ui::Icon::Information);
}

TEST_F(MonitorSelection, SessionStartTextsWhenTheDialogOpens) {
    connectStream();  // nothing answers: the session cannot be read again
    Timeout_rx_def = 50;
    ui.answer(vx::ui::Answer::No);  // "Pages reading error !\r\nTry again ?"
    std::strcpy(DataTimeSS, "240228_030405");
    SelectionView v = openChannelSelection(reinterpret_cast<vx::ui::WindowHandle>(0x1200));
    EXPECT_EQ(v.date, "28/02/24");
    EXPECT_EQ(v.time, "03:04:05");
    EXPECT_EQ(v.period, "1800");
    EXPECT_FALSE(v.exporting);
    EXPECT_FALSE(v.graphBoxesEnabled);
    EXPECT_EQ(hDlgSel, reinterpret_cast<vx::ui::WindowHandle>(0x1200));
    hDlgSel = nullptr;
}

}  // namespace
}  // namespace vx::test
