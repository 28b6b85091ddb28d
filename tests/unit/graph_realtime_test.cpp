// The real-time graph windows, checked against the record of what they asked the
// plotting layer to draw (headless: no screen is registered in this program).

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphs/datalogger/realtime_graph.h"
#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"
#include "plot/plot_testing.h"

namespace {

using vx::plot::Call;
namespace pt = vx::plot::testing;

constexpr int32_t kPage = 0xE6E6E6, kAxisArea = 0xFFFFFF, kPale = 0xD9D9D9, kRed = 0x0000FF;

class RealtimeGraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pt::resetPlotting();
        Init_Datalogger();
        vx::graphs::ValoreYold = 0;  // as at start-up
    }
    void TearDown() override {
        pt::stopRecording();
        Close_Graph();
        pt::resetPlotting();
    }
    // The calls one action makes.
    template <class F>
    std::vector<Call> during(F&& action) {
        pt::startRecording();
        action();
        return pt::stopRecording();
    }
    static std::vector<Call> only(const std::vector<Call>& calls, const char* routine) {
        std::vector<Call> v;
        for (const Call& c : calls)
            if (c.routine == routine) v.push_back(c);
        return v;
    }
    // The curves drawn in `colour` (the colour set last before each).
    static std::vector<Call> curvesIn(const std::vector<Call>& calls, int32_t colour) {
        std::vector<Call> v;
        int32_t current = -1;
        for (const Call& c : calls) {
            if (c.routine == "setclr") current = int32_t(c.numbers[0]);
            if (c.routine == "curve" && current == colour) v.push_back(c);
        }
        return v;
    }
    static void sample(void (*plot)(const float*), float base) {
        float d[NGRAPH_MAX];
        for (int i = 0; i < NGRAPH_MAX; ++i)
            d[i] = base + float(i);
        plot(d);
    }
};

TEST_F(RealtimeGraphTest, OpensOnlyForTenToTwoThousandSamplesAndOneGraphAtATime) {
    const struct {
        void (*open)(const char*, int32_t, int32_t, float, float, float, int32_t, int32_t);
        int32_t xpoint;
        bool opens;
    } cases[] = {{Init_Graph1, 9, false},    {Init_Graph1, 10, true},   {Init_Graph1, 2000, true},
                 {Init_Graph1, 2001, false}, {Init_Graph2, 9, false},   {Init_Graph2, 10, true},
                 {Init_Graph2, 2000, true},  {Init_Graph2, 2001, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xpoint);
        auto calls = during([&] { c.open("G", 319, 0, 0.7f, -50, 50, c.xpoint, 2); });
        EXPECT_EQ(only(calls, "disini").size(), c.opens ? 1u : 0u);
        if (c.opens) {
            // A second opening of either kind changes nothing.
            EXPECT_TRUE(during([] { Init_Graph2("Again", 0, 0, 0.5f, -1, 1, 100, 1); }).empty());
            EXPECT_TRUE(during([] { Init_Graph1("Again", 0, 0, 0.5f, -1, 1, 100, 1); }).empty());
        }
        Close_Graph();
        EXPECT_TRUE(during([] { sample(Plot_Graph1, 0); }).empty()) << "nothing is open";
    }
}

TEST_F(RealtimeGraphTest, OpeningDrawsThePageAxesAndLabels) {
    for (bool scrolling : {false, true}) {
        SCOPED_TRACE(scrolling);
        auto calls = during(
            [&] { (scrolling ? Init_Graph2 : Init_Graph1)("Sliding", 319, 0, 0.7f, -50, 50, 500, 3); });
        // 1920 x 0.7 pixels wide at (319 + 3 + 2, 0 + 3 + 23) on the default screen.
        EXPECT_EQ(only(calls, "window")[0].str(), "window 324 26 1344 950");
        EXPECT_EQ(only(calls, "metafl")[0].str(), "metafl \"XWIN\"");
        EXPECT_EQ(only(calls, "pagfll")[0].numbers[0], kPage);
        EXPECT_EQ(only(calls, "axsbgd")[0].numbers[0], kAxisArea);
        EXPECT_EQ(only(calls, "setgrf").size(), scrolling ? 1u : 0u);
        const Call g = only(calls, "graf")[0];
        EXPECT_EQ(g.numbers, (std::vector<double>{0, 499, 0, 49.9f, -50, 50, -50, 10}));
        std::vector<std::string> labels;
        for (const Call& m : only(calls, "messag"))
            labels.push_back(m.str());
        EXPECT_EQ(labels, (std::vector<std::string>{"messag \"CH1\" 20 20", "messag \"CH2\" 170 20",
                                                    "messag \"CH3\" 320 20"}));
        EXPECT_EQ(calls.back().routine, "sendbf");
        Close_Graph();
    }
}

TEST_F(RealtimeGraphTest, SweepGrowsBehindTheCursorAndWrapsAtTheLastPosition) {
    Init_Graph1("Sliding cursor", 319, 0, 0.7f, -50, 50, 500, 2);
    auto first = during([] { sample(Plot_Graph1, 0.5f); });
    EXPECT_TRUE(curvesIn(first, 0x000000).empty()) << "the first sample waits for the second";
    for (int k = 1; k < 499; ++k) {
        auto calls = during([&] { sample(Plot_Graph1, float(k)); });
        auto ch1 = curvesIn(calls, 0x000000);
        ASSERT_EQ(ch1.size(), 1u);
        ASSERT_EQ(ch1[0].x.size(), size_t(k + 1));
        EXPECT_EQ(ch1[0].y.front(), 0.5f) << "the first sample moved into position 0";
        EXPECT_EQ(ch1[0].y.back(), float(k));
        auto cursor = curvesIn(calls, kRed);
        EXPECT_EQ(cursor.back().x, (std::vector<float>{float(k + 1), float(k + 1)}));
    }
    auto wrap = during([] { sample(Plot_Graph1, 499); });
    EXPECT_EQ(curvesIn(wrap, kRed)[0].x, (std::vector<float>{0, 0})) << "the cursor returns to the start";
    auto afterFill =
        std::find_if(wrap.begin(), wrap.end(), [](const Call& c) { return c.routine == "pagfll"; });
    ASSERT_NE(afterFill, wrap.end());
    EXPECT_EQ((afterFill - 1)->routine, "endgrf");
    std::vector<Call> redraw(afterFill, wrap.end());
    EXPECT_EQ(only(redraw, "graf")[0].numbers, (std::vector<double>{500, 999, 500, 49.9f, -50, 50, -50, 10}));
    auto pale = curvesIn(redraw, kPale);
    ASSERT_EQ(pale.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pale[i].x.front(), 500);
        EXPECT_EQ(pale[i].x.back(), 999);
        EXPECT_EQ(pale[i].y[0], 0.5f + float(i));
        EXPECT_EQ(pale[i].y[499], 499.0f + float(i));
    }

    // The next sweep: the old cursor erased where the new one starts, and from its
    // second sample the segment ahead of the cursor erased in the axis colour (from the
    // position just drawn to the old sweep's next one).
    auto next = during([] { sample(Plot_Graph1, 1000); });
    EXPECT_EQ(curvesIn(next, kAxisArea).size(), 1u);
    EXPECT_EQ(curvesIn(next, kAxisArea)[0].x, (std::vector<float>{500, 500}));
    EXPECT_EQ(curvesIn(next, kRed)[0].x, (std::vector<float>{501, 501}));
    auto second = during([] { sample(Plot_Graph1, 2000); });
    auto erased = curvesIn(second, kAxisArea);
    ASSERT_EQ(erased.size(), 3u);
    EXPECT_EQ(erased[0].x, (std::vector<float>{500, 501}));
    EXPECT_EQ(erased[0].y, (std::vector<float>{0.5f, 1}));
    EXPECT_EQ(curvesIn(second, 0x000000)[0].y, (std::vector<float>{1000, 2000}));
    auto third = during([] { sample(Plot_Graph1, 3000); });
    EXPECT_EQ(curvesIn(third, kAxisArea)[0].y, (std::vector<float>{2000, 2}));
}

TEST_F(RealtimeGraphTest, ScrollingGraphFillsFromTheRight) {
    constexpr int n = 20;
    Init_Graph2("Sliding data", 319, 0, 0.7f, -50, 50, n, 1);
    for (int s = 1; s <= n + 1; ++s) {
        SCOPED_TRACE(s);
        auto calls = during([&] { sample(Plot_Graph2, float(s)); });
        EXPECT_EQ(curvesIn(calls, kAxisArea).size(), 1u) << "the whole old curve is erased";
        auto drawn = curvesIn(calls, 0x000000);
        const int points = s == 1 ? 0 : s < n ? s : n;
        if (points == 0) {
            EXPECT_TRUE(drawn.empty());
            continue;
        }
        ASSERT_EQ(drawn.size(), 1u);
        ASSERT_EQ(drawn[0].x.size(), size_t(points));
        EXPECT_EQ(drawn[0].x.front(), float(n - points));
        EXPECT_EQ(drawn[0].x.back(), float(n - 1));
        EXPECT_EQ(drawn[0].y.back(), float(s)) << "the newest sample at the right edge";
        EXPECT_EQ(drawn[0].y.front(), float(s - points + 1));
    }
}

TEST_F(RealtimeGraphTest, ArrowKeysPanAndZoomAndTheNextGraphKeepsTheRange) {
    const struct {
        int32_t key;
        float ymin, ymax;
    } cases[] = {{FRECCIA_DOWN_KEY, -40, 60},
                 {FRECCIA_UP_KEY, -60, 40},
                 {FRECCIA_LEFT_KEY, -65, 65},
                 {FRECCIA_RIGHT_KEY, -38.4615f, 38.4615f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Init_Datalogger();
        Init_Graph1("Sliding cursor", 319, 0, 0.7f, Ymin_def, Ymax_def, 500, 2);
        vx::plot::postEvent(c.key, 1000, 1000);
        int32_t code = 0;
        auto calls = during([&] { code = Gest_Curs(); });
        EXPECT_EQ(code, c.key);
        EXPECT_NEAR(Ymin_def, c.ymin, 1e-3);
        EXPECT_NEAR(Ymax_def, c.ymax, 1e-3);
        const Call g = only(calls, "graf")[0];
        EXPECT_NEAR(g.numbers[4], c.ymin, 1e-3);
        EXPECT_NEAR(g.numbers[5], c.ymax, 1e-3);
        EXPECT_EQ(only(calls, "messag").size(), 2u) << "the channel labels return";
        Close_Graph();
        auto reopened = during([] { Init_Graph2("Sliding data", 319, 0, 0.7f, Ymin_def, Ymax_def, 500, 2); });
        EXPECT_NEAR(only(reopened, "graf")[0].numbers[4], c.ymin, 1e-3);
        Close_Graph();
    }
}

TEST_F(RealtimeGraphTest, LeftClickReadsYAndItsDifferenceInsideTheHitArea) {
    Init_Graph2("Sliding data", 319, 0, 0.7f, -50, 50, 500, 1);
    const struct {
        int x, y;
        const char* cursor;
        std::vector<std::string> texts;  // empty: nothing drawn
    } clicks[] = {
        {359, 560, "cross", {"         Y = 30.00", "Delta Y = -30.00"}},  // first reading after start-up
        {2859, 560, "cross", {"         Y = 30.00", "Delta Y = 0.00"}},   // the same height again
        {1000, 1800, "cross", {"         Y = -50.00", "Delta Y = 80.00"}},
        {358, 560, "arrow", {}},
        {2860, 560, "arrow", {}},
        {1000, 249, "arrow", {}},
        {1000, 1801, "arrow", {}},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        vx::plot::postEvent(PULSANTE_1_MOUSE, c.x, c.y);
        int32_t code = 0;
        auto calls = during([&] { code = Gest_Curs(); });
        EXPECT_EQ(code, PULSANTE_1_MOUSE);
        EXPECT_EQ(only(calls, "setcsr")[0].texts[0], c.cursor);
        std::vector<std::string> texts;
        for (const Call& m : only(calls, "messag"))
            texts.push_back(m.texts[0]);
        EXPECT_EQ(texts, c.texts);
        if (!c.texts.empty()) {
            EXPECT_EQ(only(calls, "recfll")[0].str(), "recfll 319 1950 750 100 15132390");
            EXPECT_EQ(only(calls, "messag")[1].numbers, (std::vector<double>{319, 2010}));
        }
    }
}

TEST_F(RealtimeGraphTest, OtherEventsComeBackWithoutDrawing) {
    EXPECT_EQ(Gest_Curs(), 0) << "no graph open";
    Init_Graph1("Sliding cursor", 319, 0, 0.7f, -50, 50, 500, 1);
    EXPECT_EQ(Gest_Curs(), 0) << "no event";
    for (int32_t code : {27, 43, 45, 102, PULSANTE_2_MOUSE}) {
        vx::plot::postEvent(code, 1000, 1000);
        int32_t got = 0;
        auto calls = during([&] { got = Gest_Curs(); });
        EXPECT_EQ(got, code);
        EXPECT_TRUE(only(calls, "messag").empty() && only(calls, "pagfll").empty());
    }
}

// However long a graph runs, the scene keeps one picture's worth of primitives: the
// same count at the same moment of every sweep, and from sample to sample once the
// scrolling graph is full.
TEST_F(RealtimeGraphTest, SceneStaysTheSameSizeHoweverLongTheGraphRuns) {
    const auto& scene = pt::currentScene();
    constexpr int n = 40;
    Init_Graph1("Sliding cursor", 319, 0, 0.7f, -50, 50, n, NGRAPH_MAX);
    std::vector<size_t> counts, points;
    for (int s = 0; s < 30 * n; ++s) {
        sample(Plot_Graph1, float((s * 7) % 85 - 45));
        if (s % n == n / 2) {
            counts.push_back(scene.liveCount());
            points.push_back(scene.storedPoints());
        }
    }
    for (size_t i = 2; i < counts.size(); ++i) {
        EXPECT_EQ(counts[i], counts[1]);
        EXPECT_LE(points[i], points[1] * 2) << "removed points are given back";
    }
    Close_Graph();

    Init_Graph2("Sliding data", 319, 0, 0.7f, -50, 50, n, NGRAPH_MAX);
    for (int s = 0; s < 30 * n; ++s) {
        sample(Plot_Graph2, float((s * 13) % 85 - 45));
        if (s == 2 * n) counts = {scene.liveCount()};
        if (s > 2 * n) {
            ASSERT_EQ(scene.liveCount(), counts[0]) << s;
        }
    }
    EXPECT_LE(scene.liveCount(), size_t(80));
}

}  // namespace
