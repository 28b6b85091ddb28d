// Post-processing: the table (its compact cells, accessors, numbers read from cells, the
// row block, the column and row operations with their undo, the dialog's selection rules
// and buttons), the data record files loaded into it and the files it is saved to, its
// column graph, the companion programs, and the data record files a run made. The tests
// run with the program's state at its defaults, the scripted backend and a scratch folder
// as the working directory.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "graphs/plot_interface.h"
#include "plot/events.h"
#include "plot/plot_testing.h"
#include "plot/screen.h"
#include "postproc/column_graph.h"
#include "postproc/column_ops.h"
#include "postproc/made_files.h"
#include "postproc/plugins.h"
#include "postproc/set_file_rules.h"
#include "postproc/table.h"
#include "postproc/table_access.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "session/session_state.h"
#include "state/exe_dir.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "ui/input_dialogs.h"

namespace vx::test {
namespace {

using namespace vx::postproc;
using vx::plot::Call;
namespace fs = std::filesystem;
namespace pt = vx::plot::testing;

class PostprocTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxppXXXXXX";
        dir = mkdtemp(tmpl);
        old = fs::current_path();
        fs::current_path(dir);
        std::memset(SelCol, 0, sizeof SelCol);
        item_sel_en = 0;
        table.clear();
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
        ProgramTest::TearDown();
    }

    // Columns "Item", "Time" and the data headers; one row per entry of `rows` (the data
    // cells), with item numbers from `firstItem` and times one hour apart from 240105_143000.
    void build(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows,
               unsigned firstItem = 1) {
        table.clear();
        table.appendColumn("Item");
        table.appendColumn("Time");
        for (const auto& h : headers)
            table.appendColumn(h);
        table.appendRows(int(rows.size()));
        for (size_t r = 0; r < rows.size(); ++r) {
            char item[16], time[16];
            std::snprintf(item, sizeof item, "%5u", unsigned(r + firstItem));
            std::snprintf(time, sizeof time, "240105_%02u3000", unsigned(14 + r) % 24);
            table.setCell(int(r), 0, item);
            table.setCell(int(r), 1, time);
            for (size_t c = 0; c < rows[r].size(); ++c)
                table.setCell(int(r), int(c) + 2, rows[r][c]);
        }
        InfoSES.nItem = uint32_t(rows.size());
        InfoSES.nSubItem = uint32_t(headers.size());
        table.clearUndo();
    }
    // Headers and cells as one text ("h1|h2\nc|c\n..."), to compare whole tables.
    std::string dump() const {
        std::string s;
        for (int c = 0; c < table.columns(); ++c)
            s += std::string(table.header(c)) + "|";
        s += "\n";
        for (int r = 0; r < table.rows(); ++r) {
            for (int c = 0; c < table.columns(); ++c)
                s += std::string(table.cell(r, c)) + "|";
            s += "\n";
        }
        return s;
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> v;
        for (int r = 0; r < table.rows(); ++r)
            v.emplace_back(table.cell(r, c));
        return v;
    }
    void select(std::initializer_list<int> columns) {
        std::memset(SelCol, 0, sizeof SelCol);
        for (int c : columns)
            SelCol[c] = 1, ++SelCol[0];
    }
    static void writeFile(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string readFile(const std::string& name) {
        std::ifstream f(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    Table table;
    TableHandle t = &table;
    fs::path dir, old;
};

// --- The table and its dialog -------------------------------------------------------------

TEST_F(PostprocTest, CellsKeepShortLongAndRewrittenTextsInAboutEightBytesEach) {
    build({"A"}, {{""}, {"1234567"}, {"12345678"}, {std::string(300, 'x')}});
    table.setCell(1, 2, "a much longer text than before");
    table.setCell(2, 2, "short");
    for (int i = 0; i < 20000; ++i)
        table.setCell(3, 2, "rewritten value number " + std::to_string(i));
    EXPECT_EQ(column(2), (std::vector<std::string>{"", "a much longer text than before", "short",
                                                   "rewritten value number 19999"}));
    table.setCell(0, 2, table.cell(3, 2));  // a text of the same column
    EXPECT_EQ(table.cell(0, 2), "rewritten value number 19999");
    EXPECT_LT(table.memoryBytes(), 64u * 1024u) << "rewrites must not pile up";

    table.clear();
    table.appendColumn("Item");
    table.appendColumn("Time");
    for (int c = 0; c < 40; ++c)
        table.appendColumn("CH" + std::to_string(c));
    table.appendRows(100000);
    table.beginUpdate();
    for (int r = 0; r < table.rows(); ++r)
        for (int c = 2; c < table.columns(); ++c)
            table.setCell(r, c, "123.45");
    table.endUpdate();
    EXPECT_LE(table.memoryBytes(), size_t(100000) * 42 * 9) << "about one 8-byte slot per cell";
}

TEST_F(PostprocTest, AccessorsCutTextsAndRefuseCellsOutsideTheTable) {
    build({std::string(150, 'h')}, {{std::string(120, '7')}});
    char buf[LV_TEXT_MAX + 1];
    ASSERT_EQ(getHeader(t, buf, 2), 1);
    EXPECT_EQ(std::string(buf), std::string(99, 'h'));
    ASSERT_EQ(getCell(t, buf, 0, 2), 1);
    EXPECT_EQ(std::string(buf), std::string(99, '7'));
    EXPECT_EQ(getCell(t, buf, 1, 2), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(getHeader(t, buf, 3), 0);
    EXPECT_EQ(setCell(t, "x", 0, 3), 0);
    EXPECT_EQ(setHeader(t, "New", 2), 1);
    EXPECT_EQ(table.header(2), "New");
}

TEST_F(PostprocTest, StrLvNumReadsNineCharactersAndSpecialCells) {
    const std::tuple<const char*, float, int32_t> cases[] = {
        // text, value, precision
        {"12.3456789", 12.345678f, 6}, {"7.25", 7.25f, 2}, {"_x", 7.25f, 0},     {"_Irr_low", 100.0f, 0},
        {"_Pnom_low", 0.0f, 0},        {"-3", -3.0f, 0},   {"_other", -3.0f, 0}, {"1.5e", 1.5f, 2},
    };
    std::vector<std::vector<std::string>> rows;
    for (const auto& c : cases)
        rows.push_back({std::get<0>(c)});
    build({"A"}, rows);
    int32_t r = 0;
    for (const auto& [text, value, precision] : cases) {
        int32_t prec = -1;
        EXPECT_FLOAT_EQ(strLV_num(t, r++, 2, &prec), value) << text;
        EXPECT_EQ(prec, precision) << text;
    }
    int32_t prec;
    strLV_num(t, 1, 2, &prec);
    EXPECT_FLOAT_EQ(strLV_num(t, 0, 2, &prec), 12.345678f);
    build({"A"}, {{"_x"}});
    EXPECT_FLOAT_EQ(strLV_num(t, 0, 2, &prec), 0.0f) << "row 0 forgets the value read before";
}

TEST_F(PostprocTest, RowBlockOfTheUnselectedRows) {
    const std::tuple<std::vector<int>, int32_t, int32_t, int32_t> cases[] = {
        // selected, result, first, last
        {{0, 1}, 1, 2, 4}, {{2}, 0, -1, -1},  {{}, 1, 0, 4}, {{0, 1, 2, 3, 4}, 0, -1, -1},
        {{0, 4}, 1, 1, 3}, {{3, 4}, 1, 0, 2},
    };
    build({"A"}, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
    for (const auto& [selected, result, first, last] : cases) {
        table.selectAllRows(false);
        for (int r : selected)
            table.setRowSelected(r, true);
        EXPECT_EQ(get_listview_sel(t), result);
        if (result == 1) {
            EXPECT_EQ(std::pair(First_itemval, Last_itemval), std::pair(first, last));
        }
    }
}

TEST_F(PostprocTest, MoveBringsAColumnToTheFirstDataColumnAndStops) {
    build({"A", "B", "C", "D"}, {{"1", "2", "3", "4"}, {"5", "6", "7", "8"}});
    cellClicked(t, 0, 5, Click::Left);
    EXPECT_TRUE(setFileButtons(t).move);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(moveClicked(t));
    EXPECT_EQ(SelCol[2], 1);
    EXPECT_EQ(SelCol[1], 1);
    EXPECT_FALSE(setFileButtons(t).move);
    EXPECT_EQ(table.header(2), "D");
    EXPECT_EQ(column(2), (std::vector<std::string>{"4", "8"}));
    EXPECT_EQ(column(5), (std::vector<std::string>{"3", "7"}));
    EXPECT_EQ(swapCol(t, SelCol, 2), 0) << "the first data column moves no further";

    cellClicked(t, 0, 4, Click::Left);  // after a move a click starts a new selection
    EXPECT_EQ(SelCol[0], 1);
    EXPECT_EQ(SelCol[2], 0);
    EXPECT_EQ(SelCol[4], 1);
}

TEST_F(PostprocTest, MergeWritesTheAverageWithTheLastColumnsDecimalsInTheFirstColumn) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"1.5", "2.5", "3"}, "2"},
        {{"1.5", "2.5", "3.2"}, "2.4"},
        {{"1", "2", "_Irr_low"}, "34"},
        {{"10.25", "1", "1.25000"}, "4.16667"},
    };
    for (const auto& [cells, merged] : cases) {
        build({"A", "B", "C"}, {cells});
        select({2, 3, 4});
        ui.answer(vx::ui::Answer::Yes);
        ASSERT_TRUE(mergeClicked(t, nullptr));
        EXPECT_EQ(table.cell(0, 2), merged);
        EXPECT_EQ(table.columns(), 3);
        EXPECT_EQ(table.header(2), "A");
        EXPECT_EQ(InfoSES.nSubItem, 1u);
        EXPECT_EQ(SelCol[0], 1);
        EXPECT_EQ(SelCol[2], 1);
        EXPECT_EQ(SelCol[3] + SelCol[4], 0);
    }
    // Spread columns: the others keep their places.
    build({"A", "B", "C", "D", "E"}, {{"1", "2", "3", "4", "5"}});
    select({3, 5, 6});
    EXPECT_EQ(mergeCol(t, SelCol, 1), 2);
    EXPECT_EQ(dump(), "Item|Time|A|B|C|\n    1|240105_143000|1|4|3|\n");
}

TEST_F(PostprocTest, ColumnQuestionsAndTheirFailures) {
    build({"A", "B"}, {{"1", "2"}});
    select({2});
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_FALSE(mergeClicked(t, nullptr));
    ui.answer(vx::ui::Answer::No);
    EXPECT_FALSE(deleteColumnClicked(t, nullptr));
    select({});
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_FALSE(deleteColumnClicked(t, nullptr));
    std::vector<std::pair<std::string, std::string>> seen;
    for (const auto& m : ui.messages)
        seen.push_back({m.text, m.caption});
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                        {"Merge the selected columns ?", "Warning"},
                        {"Merging not completed !", "Error"},
                        {"Delete all the selected columns ?", "Warning"},
                        {"Delete all the selected columns ?", "Warning"},
                        {"Deleting columns not completed !", "Error"}}));
    EXPECT_EQ(table.columns(), 4);
}

TEST_F(PostprocTest, DeleteColumnRemovesEverySelectedColumn) {
    build({"A", "B", "C", "D"}, {{"1", "2", "3", "4"}});
    select({2, 4, 5});
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_TRUE(deleteColumnClicked(t, nullptr));
    EXPECT_EQ(dump(), "Item|Time|B|\n    1|240105_143000|2|\n");
    EXPECT_EQ(InfoSES.nSubItem, 1u);
    EXPECT_EQ(SelCol[0], 0);
    const SetFileButtons b = setFileButtons(t);
    EXPECT_FALSE(b.move || b.merge || b.deleteColumn || b.graph) << "nothing is selected any more";
}

TEST_F(PostprocTest, DeleteItemKeepsTheBlockWithItsNumbersAndStaysOffForAGap) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < 10; ++r)
        rows.push_back({std::to_string(r)});
    build({"A"}, rows);
    cellClicked(t, 0, 0, Click::Left);
    table.setRowSelected(2, true);
    EXPECT_FALSE(setFileButtons(t).deleteItem) << "rows 0 and 1 stay: a gap";
    EXPECT_EQ(deleteItems(t), 0);
    EXPECT_EQ(table.rows(), 10);
    table.setRowSelected(2, false);
    for (int r : {0, 1, 9})
        table.setRowSelected(r, true);
    EXPECT_TRUE(setFileButtons(t).deleteItem);
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_TRUE(deleteItemClicked(t, nullptr));
    EXPECT_EQ(column(0),
              (std::vector<std::string>{"    3", "    4", "    5", "    6", "    7", "    8", "    9"}));
    EXPECT_EQ(column(2), (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(InfoSES.nItem, 7u);
    EXPECT_EQ(item_sel_en, 0);
    EXPECT_EQ(table.selectedRowCount(), 0);
    EXPECT_FALSE(setFileButtons(t).deleteItem);
}

TEST_F(PostprocTest, ColumnClickRules) {
    struct Step {
        int column;
        Click click;
        int count;  // SelCol[0] after
        bool move, merge, deleteColumn, graph;
    };
    const Step steps[] = {
        {2, Click::Left, 1, false, false, true, true},     {2, Click::Left, 1, false, false, true, true},
        {4, Click::Right, 1, false, false, true, true},    {4, Click::Left, 2, false, true, true, true},
        {2, Click::Right, 1, true, false, true, true},     {4, Click::Right, 0, false, false, false, false},
        {300, Click::Left, 0, false, false, false, false},
    };
    build({"A", "B", "C"}, {{"1", "2", "3"}});
    table.setRowSelected(0, true);
    item_sel_en = 1;
    for (const Step& s : steps) {
        cellClicked(t, 0, s.column, s.click);
        const SetFileButtons b = setFileButtons(t);
        EXPECT_EQ(SelCol[0], s.count) << s.column;
        EXPECT_EQ(b.move, s.move) << s.column;
        EXPECT_EQ(b.merge, s.merge) << s.column;
        EXPECT_EQ(b.deleteColumn, s.deleteColumn) << s.column;
        EXPECT_EQ(b.graph, s.graph) << s.column;
        EXPECT_EQ(item_sel_en, 0);
        EXPECT_EQ(table.selectedRowCount(), 0);
    }
    InfoSES.nSubItem = 1;
    cellClicked(t, 0, 3, Click::Left);
    EXPECT_FALSE(setFileButtons(t).deleteColumn) << "the last data column stays";
}

TEST_F(PostprocTest, RowModeClicks) {
    build({"A"}, {{"1"}, {"2"}, {"3"}});
    table.setRowSelected(0, true);
    EXPECT_TRUE(enforceRowMode(t)) << "column mode takes a row selection back";
    EXPECT_EQ(table.selectedRowCount(), 0);
    EXPECT_TRUE(cellClicked(t, 1, 0, Click::Left));
    EXPECT_EQ(item_sel_en, 1);
    table.setRowSelected(1, true);
    EXPECT_FALSE(enforceRowMode(t));
    cellClicked(t, 1, 1, Click::Right);
    EXPECT_EQ(table.selectedRowCount(), 2);
    EXPECT_FALSE(table.rowSelected(1));
    EXPECT_TRUE(setFileButtons(t).deleteItem) << "row 1 alone stays";
    EXPECT_EQ(graphDone(t, 2, nullptr), 2);
    EXPECT_EQ(table.selectedRowCount(), 1);
    EXPECT_TRUE(table.rowSelected(2));
    EXPECT_EQ(graphDone(t, -2, nullptr), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unable to display graphic !");
}

TEST_F(PostprocTest, EveryEditIsUndoneNewestFirst) {
    build({"A", "B", "C", "D"}, {{"1", "2", "3", "4"}, {"5.5", "6", "7", "8"}, {"9", "10", "11", "12"}});
    const std::string original = dump();
    std::vector<std::string> states;
    auto step = [&](auto&& edit) {
        states.push_back(dump());
        edit();
    };
    step([&] { EXPECT_TRUE(renameColumn(t, 3, "Renamed")); });
    step([&] { EXPECT_TRUE(editCell(t, 1, 2, "42")); });
    step([&] {
        select({5});
        EXPECT_EQ(swapCol(t, SelCol, 3), 4);
    });
    step([&] {
        select({2, 4});
        EXPECT_EQ(mergeCol(t, SelCol, 3), 1);
    });
    step([&] {
        select({3});
        EXPECT_EQ(deleteCol(t, SelCol), 1);
    });
    step([&] {
        table.setRowSelected(0, true);
        EXPECT_EQ(deleteItems(t), 1);
    });
    EXPECT_EQ(InfoSES.nItem, 2u);
    while (!states.empty()) {
        ASSERT_TRUE(undoClicked(t));
        EXPECT_EQ(dump(), states.back());
        states.pop_back();
    }
    EXPECT_FALSE(undoClicked(t));
    EXPECT_EQ(dump(), original);
    EXPECT_EQ(InfoSES.nItem, 3u);
}

TEST_F(PostprocTest, SeparatorTogglesAndClosingAsksOnlyWithUnsavedEdits) {
    EXPECT_EQ(toggleSeparator(), "Comma");
    EXPECT_EQ(toggleSeparator(), "Point");
    EXPECT_EQ(Flag.comma, 0);

    build({"A"}, {{"1"}});
    select({2});
    EXPECT_TRUE(closeRequested(t, nullptr));
    EXPECT_EQ(SelCol[0] + SelCol[2], 0);
    editCell(t, 0, 2, "2");
    ui.answer(vx::ui::Answer::No);
    EXPECT_FALSE(closeRequested(t, nullptr));
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_TRUE(closeRequested(t, nullptr));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, "Question");
}

TEST_F(PostprocTest, HeaderAndCellEditsThroughTheInputDialogs) {
    build({"A"}, {{"1.5"}});
    ui.type("Power");
    EXPECT_TRUE(headerClicked(t, 1, nullptr));
    EXPECT_EQ(table.header(1), "Power");
    ui.cancelInput();
    EXPECT_FALSE(headerClicked(t, 2, nullptr));
    EXPECT_EQ(table.header(2), "A");
    ui.type("2.50");
    EXPECT_TRUE(cellDoubleClicked(t, 0, 2, nullptr));
    EXPECT_EQ(table.cell(0, 2), "2.50");
    EXPECT_EQ(MaxEdit, 10);
    EXPECT_FALSE(cellDoubleClicked(t, 0, 1, nullptr)) << "the time column is not a value";
    ASSERT_EQ(ui.inputs.size(), 3u);
    EXPECT_EQ(ui.inputs[0].preset, "Time");
    EXPECT_EQ(ui.inputs[2].preset, "1.5");
}

// --- Loading and saving ------------------------------------------------------------------

class PostprocFile : public PostprocTest {
  protected:
    // A board session whose only node has a power (kW), an irradiance and an energy channel.
    void plantSession(uint32_t nominal) {
        static const uint8_t conf[] = {17, 0, 15, 0, 16, 0};
        Flag.VT71 = 1;
        TotalNodeNum = 1;
        InfoFE[1].nodead = 5;
        InfoFE[1].chanu = 3;
        InfoFE[1].chanu_logic = 3;
        InfoFE[1].conf = conf;
        for (int j = 0; j < 3; ++j)
            InfoFE[1].ch_fisico[j] = uint8_t(j);
        Pnom = nominal;
    }
    int32_t load(const std::string& bytes, uint32_t rows, const char* start = "240105_143000") {
        writeFile("data", bytes);
        std::snprintf(DataTimeSS, sizeof DataTimeSS, "%s", start);
        InfoSES.nItem = rows;
        return loadLV(t, "data");
    }
};

TEST_F(PostprocFile, QuotedNamesAndBlankSeparatedValues) {
    Tsample = 900;  // the time line of the file itself is not read here
    ASSERT_EQ(load("Time[s]: 900\r\n\"A\" junk \"B\"  \r\n1  2 \r\n  3 4\r\n", 3), 1);
    EXPECT_EQ(dump(),
              "Item|Time|A|B|\n"
              "    1|240105_143000|1|2|\n"
              "    2|240105_144500|3|4|\n"
              "    3|240105_150000|||\n");
    EXPECT_EQ(Flag.CH_etaG + Flag.CH_eneD, 0);
}

TEST_F(PostprocFile, LoadFailures) {
    EXPECT_EQ(load("", 1), 0);
    EXPECT_EQ(loadLV(t, "missing"), 0);
    EXPECT_EQ(load("x\r\n\"" + std::string(301, 'n') + "\"\r\n", 1), 0);
    EXPECT_EQ(load("x\r\n\"" + std::string(300, 'n') + "\"\r\n", 1), 1);
    EXPECT_EQ(load("x\r\n\"A\"\r\n1\r\n" + std::string(301, '9') + "\r\n3\r\n", 3), 0);
    EXPECT_EQ(column(2), (std::vector<std::string>{"1", ""})) << "the rows read so far stay";
}

TEST_F(PostprocFile, DailyEnergyRestartsAtMidnight) {
    plantSession(1000);
    Tsample = 3600;
    const std::string row = "4 400 1 \r\n";
    ASSERT_EQ(load("Time[s]: 3600\r\n\"P\" \"G\" \"E\" \r\n" + row + row + row + row, 4, "240105_220000"), 1);
    EXPECT_EQ(Flag.CH_etaG, 1);
    EXPECT_EQ(Flag.CH_eneD, 1);
    EXPECT_EQ(table.header(5), "Efficiency (%)");
    EXPECT_EQ(table.header(6), "Energy 24h (kWh)");
    EXPECT_EQ(column(1),
              (std::vector<std::string>{"240105_220000", "240105_230000", "240106_000000", "240106_010000"}));
    EXPECT_EQ(column(6), (std::vector<std::string>{"0.0", "1.0", "0.0", "1.0"}));
    EXPECT_EQ(column(5), (std::vector<std::string>{"1000.0", "1000.0", "1000.0", "1000.0"}));
}

TEST_F(PostprocFile, EfficiencyCells) {
    const std::tuple<const char*, uint32_t, const char*> cases[] = {
        // row, nominal power, cell
        {"0.3 299.9 0", 1000, "_Irr_low"}, {"0.3 300 0", 1000, "100.0"}, {"0.3 300 0", 299, "_Pnom_low"},
        {"0.5 1000 0", 250, "_Pnom_low"},  {"0.45 600 0", 1500, "50.0"},
    };
    for (const auto& [row, nominal, cell] : cases) {
        plantSession(nominal);
        ASSERT_EQ(load(std::string("Time[s]: 900\r\n\"P\" \"G\" \"E\" \r\n") + row + "\r\n", 1), 1);
        EXPECT_EQ(table.cell(0, 5), cell) << row << " Pnom " << nominal;
    }
}

TEST_F(PostprocFile, EnergyUsesTheFirstPowerAndTheLastIrradiance) {
    static const uint8_t conf[] = {15, 0, 17, 0, 17, 0, 15, 0};
    plantSession(1000);
    InfoFE[1].chanu = InfoFE[1].chanu_logic = 4;
    InfoFE[1].conf = conf;
    InfoFE[1].ch_fisico[3] = 3;
    ASSERT_EQ(load("Time[s]: 900\r\n\"G1\" \"P1\" \"P2\" \"G2\" \r\n100 0.6 9 600\r\n", 1), 1);
    EXPECT_EQ(Flag.CH_eneD, 0);
    EXPECT_EQ(table.columns(), 7);
    EXPECT_EQ(table.cell(0, 6), "100.0");
}

TEST_F(PostprocFile, PreparingASavedTable) {
    struct Case {
        std::string bytes;
        int32_t result;
        uint16_t tsample;
        uint32_t items, columns;
    };
    const std::string start = "Start: 240105_143000\r\n", body = "\"A\" \"B\" \r\n1 2 \r\n3 4 \r\n";
    const Case cases[] = {
        {start + "Time[s]: 900\r\n" + body, 1, 900, 2, 2},
        {start + "Time[s]: 0\r\n" + body, 1, 77, 2, 2},
        {start + "Time[s]: 1234567\r\n" + body, 1, 77, 2, 2},
        {start + "Time[s]: 99999\r\n" + body, 1, 77, 2, 2},
        {start + body, 1, 77, 2, 2},
        {start + "Time[s]: 5\r\n\"A\" \"B\"", 0, 5, 0, 0},
        {"Start: 2401051_43000\r\nTime[s]: 900\r\n" + body, 0, 77, 0, 0},
        {"Begin: 240105_143000\r\nTime[s]: 900\r\n" + body, 0, 77, 0, 0},
    };
    for (const Case& c : cases) {
        Tsample = 77;
        InfoSES = {};
        FirstTimeMarkerDload = 1234;
        writeFile("saved.txt", c.bytes);
        std::snprintf(Data_file, sizeof Data_file, "saved.txt");
        EXPECT_EQ(loadFileTxt(), c.result) << c.bytes;
        EXPECT_EQ(Data_file[0], 0);
        EXPECT_EQ(Tsample, c.tsample) << c.bytes;
        EXPECT_EQ(InfoSES.nItem, c.items) << c.bytes;
        EXPECT_EQ(InfoSES.nSubItem, c.columns) << c.bytes;
        if (c.result == 1) {
            EXPECT_STREQ(DataTimeSS, "240105_143000");
            EXPECT_EQ(FirstTimeMarkerDload, 0u);
            EXPECT_EQ(readFile("240105_143000"), c.bytes.substr(22));
        }
    }
}

TEST_F(PostprocFile, PreparingAskesForTheFileWithoutADataFile) {
    writeFile("chosen.txt", "Start: 231231_235959\r\n\"A\" \r\n5 \r\n");
    ui.chooseFile("chosen.txt");
    EXPECT_EQ(loadFileTxt(), 1);
    EXPECT_STREQ(DataTimeSS, "231231_235959");
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(loadFileTxt(), 0);
}

class PostprocSave : public PostprocTest {
  protected:
    void SetUp() override {
        PostprocTest::SetUp();
        build({"P", "G"}, {{"12.5", "_Irr_low"}, {"3", "_Pnom_low"}, {"0.25", "7"}});
        Tsample = 900;
    }
};

TEST_F(PostprocSave, FormatsByteForByte) {
    const std::tuple<int32_t, int32_t, uint32_t, std::string> cases[] = {
        // format, comma, rows, bytes
        {FORMAT_A, 0, 3,
         "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12.5 100 \r\n3 0 \r\n0.25 7 \r\n"},
        {FORMAT_A, 1, 2, "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12,5 100 \r\n3 0 \r\n"},
        {FORMAT_B, 0, 2,
         "\"DATE:\";\"TIME:\";\"P\";\"G\"\r\n\"05.01.24\";\"14:30:00\";12.5;100\r\n"
         "\"05.01.24\";\"15:30:00\";3;0\r\n"},
        {FORMAT_B, 1, 3,
         "\"DATE:\";\"TIME:\";\"P\";\"G\"\r\n\"05.01.24\";\"14:30:00\";12,5;100\r\n"
         "\"05.01.24\";\"15:30:00\";3;0\r\n\"05.01.24\";\"16:30:00\";0,25;7\r\n"},
    };
    for (const auto& [format, comma, rows, bytes] : cases) {
        INFOST info{rows, 2, 0, 0};
        EXPECT_EQ(tableFileText(t, info, format, comma), bytes);
    }
}

TEST_F(PostprocSave, AHeaderRepeatedEndsTheSavedColumns) {
    table.setHeader(3, "P");
    EXPECT_EQ(savedColumnCount(t), 3);
    INFOST info{1, 2, 0, 0};
    EXPECT_EQ(tableFileText(t, info, FORMAT_A, 0),
              "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \r\n12.5 \r\n");
    EXPECT_EQ(tableFileText(t, info, FORMAT_B, 0),
              "\"DATE:\";\"TIME:\";\"P\"\r\n\"05.01.24\";\"14:30:00\";12.5\r\n");

    // The save says so first: No writes nothing, Yes the file as above.
    const std::string dropped = droppedColumnsText(t);
    EXPECT_EQ(
        dropped,
        "Column \"P\" repeats the header of the column before it: the saved file ends before it, without its "
        "last 1 column.");
    ui.answer(vx::ui::Answer::No);
    EXPECT_EQ(saveFile2(t, "x", info), 0);
    ui.answer(vx::ui::Answer::Yes);
    ui.chooseFile((dir / "cut.txt").string());
    EXPECT_EQ(saveFile2(t, "x", info), 1);
    EXPECT_EQ(readFile("cut.txt"), "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \r\n12.5 \r\n");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, dropped + "\r\nSave anyway ?");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
}

TEST_F(PostprocSave, SaveWritesTheChosenFileAndDropsTheUndoSteps) {
    editCell(t, 0, 2, "12.50");
    Flag.file_format = FORMAT_B;
    std::snprintf(DataTimeSS, sizeof DataTimeSS, "240105_143000");
    ui.chooseFile((dir / "out.txt").string());
    EXPECT_TRUE(saveClicked(t, true));
    EXPECT_EQ(Flag.file_format, FORMAT_A);
    EXPECT_EQ(readFile("out.txt"),
              "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12.50 100 \r\n3 0 \r\n0.25 7 \r\n");
    EXPECT_EQ(std::string(Data_file), (dir / "out.txt").string());
    EXPECT_EQ(std::string(Data_dir), dir.string());
    EXPECT_FALSE(table.canUndo());

    Flag.COM_ext = 1;
    ui.chooseFile((dir / "out2.txt").string());
    EXPECT_FALSE(saveClicked(t, false)) << "no launcher for a port of the command line";
    EXPECT_TRUE(std::filesystem::exists("out2.txt"));
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(saveFile2(t, DataTimeSS, InfoSES), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PostprocSave, AFileThatCannotBeWrittenIsReported) {
    writeFile("out.txt", "older");
    editCell(t, 0, 2, "1");
    ui.chooseFile("missing-folder/out.txt");
    EXPECT_EQ(saveFile2(t, "x", InfoSES), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_NE(ui.messages[0].text.find("missing-folder/out.txt can not be written !"), std::string::npos);
    EXPECT_EQ(Data_file[0], 0);
    EXPECT_TRUE(table.canUndo()) << "nothing was saved";
}

TEST_F(PostprocSave, FormatAOpensAgainAsTheSameTable) {
    build({"P", "Temp (0.0 \260C)"}, {{"1.25", "-3.5"}, {"2", "4.0"}, {"0.125", "18.5"}});
    const std::vector<std::string> p = column(2), temp = column(3), times = column(1);
    ui.chooseFile((dir / "round.txt").string());
    ASSERT_EQ(saveFile2(t, "x", InfoSES), 1);
    Tsample = 1;
    ASSERT_EQ(loadFileTxt(), 1);  // the file just saved
    EXPECT_EQ(Tsample, 900);
    EXPECT_EQ(InfoSES.nItem, 3u);
    EXPECT_EQ(InfoSES.nSubItem, 2u);
    ASSERT_EQ(loadLV(t, DataTimeSS), 1);
    EXPECT_EQ(column(2), p);
    EXPECT_EQ(column(3), temp);
    EXPECT_EQ(column(1), std::vector<std::string>({"240105_143000", "240105_144500", "240105_150000"}));
    EXPECT_EQ(table.header(3), "Temp (0.0 \260C)");
}

TEST_F(PostprocFile, ColumnWidthFollowsTheScreen) {
    const std::tuple<int32_t, int32_t, int32_t> cases[] = {// screen, columns, width
                                                           {1920, 10, 163},
                                                           {1920, 5, 200},
                                                           {1024, 20, 70},
                                                           {1920, 0, 70},
                                                           {1365, 8, 135}};
    for (const auto& [screen, columns, width] : cases)
        EXPECT_EQ(dataColumnWidth(screen, columns), width) << screen << " " << columns;
}

// --- The column graph --------------------------------------------------------------------

// A window that posts the scripted events one by one whenever the graph waits for one.
class ScriptedScreen : public vx::plot::Screen {
  public:
    struct Step {
        int32_t code;
        int x, y;
    };
    std::vector<Step> steps;
    size_t next = 0;
    int opened = 0;
    bool open_ = false;

    void open(const vx::plot::WindowRequest&, const vx::plot::Scene&) override { ++opened, open_ = true; }
    void setTitle(const std::string&) override {}
    void update() override {}
    void close() override { open_ = false; }
    void setCursorShape(vx::plot::CursorShape) override {}
    void movePointer(int, int) override {}
    void waitForEvent(int) override {
        if (next < steps.size()) {
            vx::plot::postEvent(steps[next].code, steps[next].x, steps[next].y);
            ++next;
        } else {
            vx::plot::postEvent(27, 0, 0);  // a script that ends closes the graph
        }
    }
    bool isOpen() const override { return open_; }
    vx::plot::ScreenMetrics metrics() const override { return {}; }
    void drawn(const vx::plot::Scene&, const vx::plot::Primitive&) override {}
};

class ColumnGraphTest : public PostprocTest {
  protected:
    void SetUp() override {
        PostprocTest::SetUp();
        pt::resetPlotting();
        vx::plot::setScreen(&screen);
        spessore = 1;
        std::strcpy(DataTimeSS, "240105_220000");
        FirstTimeMarkerDload = 0;
        Tsample = 3600;
    }
    void TearDown() override {
        pt::stopRecording();
        vx::plot::setScreen(nullptr);
        pt::resetPlotting();
        PostprocTest::TearDown();
    }
    // A table of `rows` rows from item `firstItem` whose data columns repeat the given values.
    void fill(int rows, unsigned firstItem, const std::vector<std::vector<std::string>>& columns,
              const std::vector<std::string>& headers) {
        std::vector<std::vector<std::string>> cells(static_cast<size_t>(rows));
        for (size_t r = 0; r < cells.size(); ++r)
            for (const auto& c : columns)
                cells[r].push_back(c[r % c.size()]);
        build(headers, cells, firstItem);
    }
    int32_t run(std::vector<Call>* calls = nullptr) {
        pt::startRecording();
        const int32_t r = graphCol(&table, SelCol, table.rows());
        std::vector<Call> c = pt::stopRecording();
        if (calls) *calls = std::move(c);
        return r;
    }
    static std::vector<Call> only(const std::vector<Call>& calls, const char* routine) {
        std::vector<Call> v;
        for (const Call& c : calls)
            if (c.routine == routine) v.push_back(c);
        return v;
    }
    // The page position of item `item` and value `y` on the graph just drawn.
    static std::pair<int, int> at(const Call& graf, int curves, double item, double y) {
        const double x0 = graf.numbers[0], x1 = graf.numbers[1], bottom = graf.numbers[4],
                     top = graf.numbers[5];
        const double h = 1683 - 33 * curves;
        return {int(300 + (item - x0) * 2500 / (x1 - x0) + 0.5),
                int(1900 - (y - bottom) * h / (top - bottom) + 0.5)};
    }

    ScriptedScreen screen;
};

TEST(ColumnGraphRange, YWidensToWholeNumbersAndStepsTakeAFifth) {
    const struct {
        float largest, smallest, x0, xLast;
        int top, bottom, xStep, yStep;
    } cases[] = {
        {23.4f, 3.2f, 1, 120, 26, 2, 24, 5},
        {-3, -12.5f, 1, 3, -2, -14, 1, 2},
        {0, 0, 5, 5, 1, 0, 1, 1},
        {100, -100, 1, 1000, 111, -111, 200, 44},
    };
    for (const auto& c : cases) {
        const vx::postproc::GraphRange r = vx::postproc::graphRange(c.largest, c.smallest, c.x0, c.xLast);
        EXPECT_EQ(r.top, c.top) << c.largest;
        EXPECT_EQ(r.bottom, c.bottom) << c.smallest;
        EXPECT_EQ(r.xStep, c.xStep) << c.xLast;
        EXPECT_EQ(r.yStep, c.yStep) << c.largest;
    }
}

TEST_F(ColumnGraphTest, NothingToShowGivesMinusTwo) {
    fill(3, 1, {{"1.0"}}, {"A"});
    EXPECT_EQ(run(), -2) << "no column selected";
    select({2});
    EXPECT_EQ(graphCol(&table, SelCol, 0), -2) << "no rows";
    EXPECT_EQ(screen.opened, 0);
}

TEST_F(ColumnGraphTest, RowsBetweenTheFirstAndLastSelectedRowArePlotted) {
    fill(30, 1, {{"1.5", "2.5", "-3.0"}, {"_Irr_low", "4"}}, {"A", "CH3_1: Temperature (0.00 \260C)"});
    select({2, 3});
    std::vector<Call> calls;
    EXPECT_EQ(run(&calls), -1) << "closed without a click";
    std::vector<Call> curves = only(calls, "curve");
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].x.size(), 30u) << "no row selected: the whole table";
    EXPECT_EQ(curves[1].y[0], 100.0f) << "_Irr_low plots as 100";
    const std::vector<Call> legend = only(calls, "leglin");
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[1].texts[0], "CH3_1: Temperature (0.00 *C)");

    table.setRowSelected(9, true);
    EXPECT_EQ(run(&calls), -1);
    EXPECT_EQ(only(calls, "curve")[0].x.size(), 30u) << "one selected row: the whole table";
    table.setRowSelected(19, true);
    table.setRowSelected(14, false);
    run(&calls);
    curves = only(calls, "curve");
    ASSERT_EQ(curves[0].x.size(), 11u) << "rows 10 to 20";
    EXPECT_EQ(curves[0].x.front(), 10.0f);
    EXPECT_EQ(curves[0].x.back(), 20.0f);
    const Call graf = only(calls, "graf").at(0);
    EXPECT_EQ(graf.numbers[0], 10.0);
    EXPECT_EQ(graf.numbers[1], 20.0);
}

TEST_F(ColumnGraphTest, ClickReadsYAndTheItemWithItsTimeAndGivesItsRow) {
    // The first five rows were cut: the table starts at item 6.
    fill(20, 6, {{"10", "20"}}, {"A"});
    select({2});
    std::vector<Call> first;
    run(&first);
    const Call graf = only(first, "graf").at(0);
    const auto [px, py] = at(graf, 1, 8, 15);
    screen.steps = {{PULSANTE_1_MOUSE, px, py}};
    std::vector<Call> calls;
    EXPECT_EQ(run(&calls), 2) << "item 8 is row 2";
    std::vector<std::string> texts;
    for (const Call& c : only(calls, "messag"))
        texts.push_back(c.texts[0]);
    // Item 8 is 7 hours after the start at 22:00 of 5 January 2024.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "X Value= 8 (240106_050000)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Y Value = 15.00"), texts.end())
        << "y texts: " << testing::PrintToString(texts);

    screen.next = 0;
    screen.steps = {{PULSANTE_1_MOUSE, px, py}, {PULSANTE_1_MOUSE, 100, 100}};
    EXPECT_EQ(run(), 2) << "a click outside clears the readout but keeps the row";
    screen.next = 0;
    screen.steps = {{PULSANTE_2_MOUSE, px, py}, {PULSANTE_1_MOUSE, px, py}};
    EXPECT_EQ(run(), -1) << "the right button closes";
}

TEST_F(ColumnGraphTest, PlusAndMinusChangeTheThicknessWithinOneToElevenAndItIsKept) {
    fill(5, 1, {{"1", "2"}}, {"A"});
    select({2});
    screen.steps.assign(11, {'+', 0, 0});
    std::vector<Call> calls;
    run(&calls);
    EXPECT_EQ(spessore, 11);
    EXPECT_EQ(only(calls, "thkcrv").back().numbers[0], 11.0);
    screen.next = 0;
    screen.steps.assign(12, {'-', 0, 0});
    run();
    EXPECT_EQ(spessore, 1);
    screen.next = 0;
    screen.steps = {{'+', 0, 0}};
    run();
    screen.next = 0;
    screen.steps.clear();
    run(&calls);
    EXPECT_EQ(only(calls, "thkcrv").at(0).numbers[0], 2.0) << "the next graph starts with the thickness";
}

TEST_F(ColumnGraphTest, FSavesThePictureByTheExtensionChosenAndDrawsAgain) {
    fill(12, 1, {{"1", "5", "3"}}, {"A"});
    select({2});
    const std::string wmf = (dir / "graph.wmf").string();
    writeFile(wmf, "old");
    ui.chooseFile(wmf);
    ui.chooseFile(std::nullopt);  // the second f is cancelled
    screen.steps = {{'f', 0, 0}, {'f', 0, 0}};
    run();
    std::ifstream in(wmf, std::ios::binary);
    unsigned char key[4] = {};
    in.read(reinterpret_cast<char*>(key), 4);
    EXPECT_EQ(key[0], 0xD7);
    EXPECT_EQ(key[3], 0x9A) << "a placeable metafile replaced the old file";
    EXPECT_EQ(screen.opened, 3) << "the window opens again after each f";
}

// --- Companion programs and the files a run made ------------------------------------------

class PluginsTest : public PostprocTest {
  protected:
    void file(const std::string& name, const std::string& text, bool exec) {
        std::ofstream(dir / name) << text;
        ::chmod((dir / name).c_str(), exec ? 0755 : 0644);
    }
    std::vector<int> found(const char* ext) {
        int8_t idx[PLUG_IDX_SIZE] = {};
        const int n = findFile(dir.c_str(), ext, idx);
        return std::vector<int>(idx, idx + n);
    }
};

TEST_F(PluginsTest, ProgramsAreFoundByNameWhateverTheirLetterCaseInTheListsOrder) {
    const struct {
        std::vector<std::pair<std::string, bool>> files;  // name, executable
        const char* ext;
        std::vector<int> expected;
    } cases[] = {
        {{}, "exe", {}},
        {{{"notes.txt", false}}, "exe", {}},
        {{{"lumeview.EXE", false}}, "exe", {1}},
        {{{"Lumeview.exe", false}, {"TALLO.exe", false}}, "exe", {0, 1}},
        {{{"Tallo.exe.bak", false}}, "exe", {}},
        // Elsewhere a program is an executable file without extension.
        {{{"Tallo", true}, {"lumeview", true}}, "", {0, 1}},
        {{{"Tallo", false}, {"Lumeview", true}}, "", {1}},
        {{{"Tallo.sh", true}}, "", {}},
    };
    for (const auto& c : cases) {
        for (const auto& entry : fs::directory_iterator(dir))
            fs::remove(entry.path());
        for (const auto& [name, exec] : c.files)
            file(name, "#!/bin/sh\n", exec);
        EXPECT_EQ(found(c.ext), c.expected) << testing::PrintToString(c.files) << " ext " << c.ext;
    }
}

TEST_F(PluginsTest, ProgramRunsOnTheSavedTableInTheWorkingDirectoryOrIsReported) {
    file("Tallo", "#!/bin/sh\npwd > ran.txt\necho \"$#:$1\" >> ran.txt\n", true);
    file("Lumeview", "not a program\n", true);
    std::strcpy(Exe_dir, dir.c_str());
    std::strcpy(Data_file, "/data/table one.txt");
    int waits = 0;
    EXPECT_TRUE(vx::postproc::runPlugin(0, [&] { ++waits; }));
    std::ifstream in(dir / "ran.txt");
    std::string cwd, args;
    std::getline(in, cwd);
    std::getline(in, args);
    EXPECT_EQ(fs::canonical(cwd), fs::canonical(dir));
    EXPECT_EQ(args, "1:/data/table one.txt") << "one argument, the saved file";

    EXPECT_FALSE(vx::postproc::runPlugin(1, {}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_NE(ui.messages[0].text.find("Lumeview could not be started."), std::string::npos)
        << ui.messages[0].text;
    Exe_dir[0] = Data_file[0] = 0;
}

TEST_F(PostprocTest, MadeDataRecordFileIsDeletedAtTheEndOnlyWhenItsTableWasSaved) {
    auto make = [&](const char* name) {
        std::ofstream(dir / name) << "data";
        noteMadeFile((dir / name).string());
        return (dir / name).string();
    };
    const std::string saved = make("240101_000000");
    const std::string unsaved = make("240102_000000");
    const std::string loadedNotSaved = make("240103_000000");
    const std::string remade = make("240104_000000");
    const std::string gone = make("240105_000000");

    noteTableLoadedFrom(saved);
    noteTableSaved();
    noteTableLoadedFrom(loadedNotSaved);
    noteTableLoadedFrom(remade);
    noteTableSaved();
    make("240104_000000");  // downloaded again after the save: the new data is not saved
    fs::remove(gone);

    const std::vector<std::string> kept = settleMadeFiles();
    const std::vector<std::string> expected = {fs::weakly_canonical(unsaved).string(),
                                               fs::weakly_canonical(loadedNotSaved).string(),
                                               fs::weakly_canonical(remade).string()};
    EXPECT_EQ(kept, expected);
    EXPECT_FALSE(fs::exists(saved));
    for (const std::string& k : kept)
        EXPECT_TRUE(fs::exists(k)) << k;
    EXPECT_TRUE(settleMadeFiles().empty()) << "the run's list is settled once";
    EXPECT_EQ(keptFileText("/home/user/240102_000000"),
              "The data record file 240102_000000 stays in /home/user (its table was not saved).");
}

}  // namespace
}  // namespace vx::test
