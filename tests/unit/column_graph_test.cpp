// The column graph of the post-processing table, against the record of its plotting calls
// and a scripted graphics window that hands over the user's keys and clicks.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphs/plot_interface.h"
#include "plot/events.h"
#include "plot/plot_testing.h"
#include "plot/screen.h"
#include "postproc/column_graph.h"
#include "postproc/table.h"
#include "session/session_state.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

using vx::plot::Call;
namespace pt = vx::plot::testing;
using vx::postproc::Table;

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

class ColumnGraphTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        pt::resetPlotting();
        vx::plot::setScreen(&screen);
        spessore = 1;
        std::memset(SelCol, 0, sizeof SelCol);
        std::strcpy(DataTimeSS, "240105_220000");
        FirstTimeMarkerDload = 0;
        Tsample = 3600;
        table.clear();
    }
    void TearDown() override {
        pt::stopRecording();
        vx::plot::setScreen(nullptr);
        pt::resetPlotting();
        table.clear();
        ProgramTest::TearDown();
    }
    // A table of `rows` rows whose items start at `firstItem`, with the given data columns.
    void fill(int rows, int firstItem, const std::vector<std::vector<std::string>>& columns,
              const std::vector<std::string>& headers) {
        table.appendColumn("Item");
        table.appendColumn("Time");
        for (const std::string& h : headers)
            table.appendColumn(h);
        table.appendRows(rows);
        for (int r = 0; r < rows; ++r) {
            char item[16];
            std::snprintf(item, sizeof item, "%5d", firstItem + r);
            table.setCell(r, 0, item);
            for (size_t c = 0; c < columns.size(); ++c)
                table.setCell(r, int(c) + 2, columns[c][size_t(r) % columns[c].size()]);
        }
    }
    void select(std::initializer_list<int> cols) {
        for (int c : cols)
            SelCol[c] = 1, ++SelCol[0];
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

    Table table;
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
    fill(30, 1, {{"1.5", "2.5", "-3.0"}, {"_Irr_low", "4"}},
         {"A",
          "CH3_1: Temperature (0.00 \xB0"
          "C)"});
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
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vx_colgraph_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fill(12, 1, {{"1", "5", "3"}}, {"A"});
    select({2});
    const std::string wmf = (dir / "graph.wmf").string();
    {
        std::ofstream old(wmf);
        old << "old";
    }
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
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vx::test
