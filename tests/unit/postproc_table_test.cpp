// The post-processing table: its compact cells, the accessors and their limits, reading
// cells as numbers, the row block, the column and row operations with their undo, and the
// dialog's selection rules and buttons.

#include <gtest/gtest.h>

#include "postproc/column_ops.h"
#include "postproc/set_file_rules.h"
#include "postproc_fixture.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"

namespace vx::test {
namespace {

using namespace vx::postproc;

TEST_F(PostprocTest, CellsKeepShortLongAndRewrittenTexts) {
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
    struct Case {
        const char* text;
        float value;
        int32_t precision;
    };
    const Case cases[] = {
        {"12.3456789", 12.345678f, 6}, {"7.25", 7.25f, 2}, {"_x", 7.25f, 0},     {"_Irr_low", 100.0f, 0},
        {"_Pnom_low", 0.0f, 0},        {"-3", -3.0f, 0},   {"_other", -3.0f, 0}, {"1.5e", 1.5f, 2},
    };
    std::vector<std::vector<std::string>> rows;
    for (const Case& c : cases)
        rows.push_back({c.text});
    build({"A"}, rows);
    for (size_t r = 0; r < std::size(cases); ++r) {
        int32_t prec = -1;
        EXPECT_FLOAT_EQ(strLV_num(t, int32_t(r), 2, &prec), cases[r].value) << cases[r].text;
        EXPECT_EQ(prec, cases[r].precision) << cases[r].text;
    }
    int32_t prec;
    strLV_num(t, 1, 2, &prec);
    EXPECT_FLOAT_EQ(strLV_num(t, 0, 2, &prec), 12.345678f);
    build({"A"}, {{"_x"}});
    EXPECT_FLOAT_EQ(strLV_num(t, 0, 2, &prec), 0.0f) << "row 0 forgets the value read before";
}

TEST_F(PostprocTest, RowBlockOfTheUnselectedRows) {
    struct Case {
        std::vector<int> selected;
        int32_t result, first, last;
    };
    const Case cases[] = {
        {{0, 1}, 1, 2, 4}, {{2}, 0, -1, -1},  {{}, 1, 0, 4}, {{0, 1, 2, 3, 4}, 0, -1, -1},
        {{0, 4}, 1, 1, 3}, {{3, 4}, 1, 0, 2},
    };
    build({"A"}, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
    for (const Case& c : cases) {
        table.selectAllRows(false);
        for (int r : c.selected)
            table.setRowSelected(r, true);
        EXPECT_EQ(get_listview_sel(t), c.result);
        if (c.result == 1) {
            EXPECT_EQ(First_itemval, c.first);
            EXPECT_EQ(Last_itemval, c.last);
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

TEST_F(PostprocTest, MergeWritesTheAverageWithTheLastColumnsDecimals) {
    struct Case {
        std::vector<std::string> cells;
        std::string merged;
    };
    const Case cases[] = {
        {{"1.5", "2.5", "3"}, "2"},
        {{"1.5", "2.5", "3.2"}, "2.4"},
        {{"1", "2", "_Irr_low"}, "34"},
        {{"10.25", "1", "1.25000"}, "4.16667"},
    };
    for (const Case& c : cases) {
        build({"A", "B", "C"}, {c.cells});
        select({2, 3, 4});
        ui.answer(vx::ui::Answer::Yes);
        ASSERT_TRUE(mergeClicked(t, nullptr));
        EXPECT_EQ(table.cell(0, 2), c.merged);
        EXPECT_EQ(table.columns(), 3);
        EXPECT_EQ(table.header(2), "A");
        EXPECT_EQ(InfoSES.nSubItem, 1u);
        EXPECT_EQ(SelCol[0], 1);
        EXPECT_EQ(SelCol[2], 1);
        EXPECT_EQ(SelCol[3] + SelCol[4], 0);
    }
}

TEST_F(PostprocTest, MergeOfSpreadColumnsKeepsTheOthersInPlace) {
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

TEST_F(PostprocTest, DeleteItemKeepsTheBlockWithItsNumbers) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < 10; ++r)
        rows.push_back({std::to_string(r)});
    build({"A"}, rows);
    cellClicked(t, 0, 0, Click::Left);
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

TEST_F(PostprocTest, DeleteItemStaysOffForAGapInTheRows) {
    build({"A"}, {{"1"}, {"2"}, {"3"}, {"4"}});
    cellClicked(t, 0, 1, Click::Left);
    table.setRowSelected(1, true);
    EXPECT_FALSE(setFileButtons(t).deleteItem);
    EXPECT_EQ(deleteItems(t), 0);
    EXPECT_EQ(table.rows(), 4);
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

TEST_F(PostprocTest, LargeTablesStayCompact) {
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

}  // namespace
}  // namespace vx::test
