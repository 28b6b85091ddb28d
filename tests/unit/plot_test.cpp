// The plotting library (keywords, colours, the axis system, clipping, the scene's
// coalescing, legends, the event queue, the picture files and their Windows metafile
// format) and the real-time graph windows drawn with it, checked against the scene and the
// record of the calls the graphs made (headless: no screen is registered here).

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graphs/datalogger/realtime_graph.h"
#include "graphs/datalogger/realtime_graph_state.h"
#include "graphs/plot_interface.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/plot_testing.h"

namespace {

namespace fs = std::filesystem;
namespace pt = vx::plot::testing;
using vx::plot::Call;
using vx::plot::Kind;
using vx::plot::Primitive;

// A clean plotting state and a scratch folder for picture files.
class PlotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pt::resetPlotting();
        dir = fs::temp_directory_path() / ("vx_plot_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        pt::stopRecording();
        Close_Graph();
        pt::resetPlotting();
        fs::remove_all(dir);
    }
    // A headless plot with an axis system over 0..100 both ways on (300..2800, 300..1800).
    static void openAxes() {
        metafl("XWIN");
        disini();
        winmod("NOERRORS");
        axspos(300, 1800);
        axslen(2500, 1500);
        graf(0, 100, 0, 10, 0, 100, 0, 10);
    }
    static std::vector<Primitive> primitives(Kind kind) {
        std::vector<Primitive> v;
        pt::currentScene().forEach([&](const Primitive& p) {
            if (p.kind == kind) v.push_back(p);
        });
        return v;
    }
    static std::vector<std::string> texts() {
        std::vector<std::string> v;
        for (const Primitive& p : primitives(Kind::Text))
            v.emplace_back(pt::currentScene().text(p));
        return v;
    }
    static std::string readFile(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
};

TEST_F(PlotTest, KeywordsMatchOnTheirFirstFourCharactersAnyCaseAndUnknownOnesChangeNothing) {
    using vx::plot::keywordIndex;
    const auto parts = {"NONE", "LINE", "TICK", "LABE", "NAME"}, modes = {"STAN", "SET ", "READ", "GET "};
    EXPECT_EQ(keywordIndex("ticks", parts), 2);
    EXPECT_EQ(keywordIndex("Labels", parts), 3);
    EXPECT_EQ(keywordIndex("TIC", parts), -1);
    EXPECT_EQ(keywordIndex("get", modes), 3);
    EXPECT_EQ(keywordIndex("Set", modes), 1);
    EXPECT_EQ(keywordIndex("getx", modes), -1);
    EXPECT_EQ(keywordIndex("xwindow", {"XWIN", "WMF "}), 0);
    EXPECT_EQ(keywordIndex("wmf", {"XWIN", "WMF "}), 1);
    EXPECT_EQ(keywordIndex("NOHOLD", {"FULL", "NOER", "NONE", "NOHO", "DELA", "NOMB"}), 3);
    EXPECT_EQ(keywordIndex("", {"NONE"}), -1);
    EXPECT_EQ(keywordIndex(nullptr, {"NONE"}), -1);

    openAxes();
    setgrf("Ticks", "NAMES", "none", "lines");
    const auto& a = vx::plot::lib().axis;
    EXPECT_EQ(a.lower, vx::plot::AxisPart::Ticks);
    EXPECT_EQ(a.left, vx::plot::AxisPart::Name);
    EXPECT_EQ(a.upper, vx::plot::AxisPart::None);
    EXPECT_EQ(a.right, vx::plot::AxisPart::Line);
    setgrf("ticks", "nam", "none", "none");  // one unknown word: nothing changes
    EXPECT_EQ(a.upper, vx::plot::AxisPart::None);
    EXPECT_EQ(a.right, vx::plot::AxisPart::Line);
    winmod("nohold");
    EXPECT_EQ(vx::plot::lib().hold, vx::plot::Hold::NoHold);
    winkey("return");
    EXPECT_EQ(vx::plot::lib().closingKey, 13);
}

TEST(PlotColourTest, ExactAndPaletteColours) {
    const std::tuple<float, float, float, int32_t, int32_t> cases[] = {
        // r, g, b, exact, palette
        {1, 0, 0, 0x0000FF, 0x0000FF},           // red in the low byte
        {0, 0, 1, 0xFF0000, 0xFF0000},           // blue in the third
        {0.9f, 0.9f, 0.9f, 0xE6E6E6, 0xE4E4E4},  // the nearest grey of the ramp
        {0.5f, 0.5f, 0.5f, 0x808080, 0x808080},  // the middle grey is in the palette
        {0.85f, 0.85f, 0.85f, 0xD9D9D9, 0xDADADA},
        {0, 0.5f, 0.5f, 0x808000, 0x808000},
        {2, -1, 0.2f, 0x3300FF, 0x3300FF},  // clamped
    };
    for (const auto& [r, g, b, exact, palette] : cases) {
        EXPECT_EQ(intrgb(r, g, b), exact) << r << "," << g << "," << b;
        EXPECT_EQ(indrgb(r, g, b), palette) << r << "," << g << "," << b;
    }
}

TEST_F(PlotTest, AxisLabelsTicksAndGrid) {
    metafl("XWIN");
    disini();
    axspos(350, 1800);
    axslen(2500, 1550);
    labdig(-1, "x");
    graf(0, 499, 0, 49.9f, -50, 50, -50, 10);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"0",   "50",   "100",  "150",   "200",   "250",   "299",   "349",
                                        "399", "449",  "499",  "-50.0", "-40.0", "-30.0", "-20.0", "-10.0",
                                        "0.0", "10.0", "20.0", "30.0",  "40.0",  "50.0"}));
    const auto labels = primitives(Kind::Text);
    EXPECT_FLOAT_EQ(labels[1].at.x, 350 + 49.9f * 2500 / 499) << "centred under its tick";
    EXPECT_EQ(labels[1].align, vx::plot::Align::Centre);
    EXPECT_EQ(labels[11].align, vx::plot::Align::Right);
    EXPECT_FLOAT_EQ(labels[11].at.y + 18, 1800) << "middle of the cell at the tick";

    grid(1, 1);
    const auto lines = primitives(Kind::Lines);
    EXPECT_EQ(pt::currentScene().points(lines.back()).size(), 2u * (9 + 9)) << "none on the frame";
    endgrf();

    setgrf("ticks", "name", "ticks", "ticks");
    name("Volts", "y");
    pagfll(0xFFFFFF);
    graf(0, 499, 0, 49.9f, -0.5f, 0.5f, -0.5f, 0.25f);
    EXPECT_EQ(texts(), (std::vector<std::string>{"-0.5", "-0.2", "0.0", "0.2", "0.5", "Volts"}))
        << "no x labels, y labels with one decimal (ties to even), the name";
    EXPECT_EQ(primitives(Kind::Text).back().angle, 90);
    EXPECT_EQ(vx::plot::axisLabel(-0.04, 1), "0.0");
    EXPECT_EQ(vx::plot::axisLabel(-0.6, -1), "-1");
}

TEST_F(PlotTest, CurvesAreClippedToTheAxisArea) {
    openAxes();
    const struct {
        std::vector<float> x, y;
        std::vector<std::vector<float>> pieces;  // page x, y pairs
    } cases[] = {
        {{0, 50, 100}, {50, 150, 50}, {{300, 1050, 925, 300}, {2175, 300, 2800, 1050}}},
        {{0, 100}, {-10, -20}, {}},
        {{0, 50, 100}, {0, NAN, 100}, {}},
        {{0, 10, 20, 30}, {0, 10, NAN, 20}, {{300, 1800, 550, 1650}}},
    };
    for (const auto& c : cases) {
        pagfll(0xFFFFFF);
        endgrf();
        graf(0, 100, 0, 10, 0, 100, 0, 10);
        curve(c.x.data(), c.y.data(), int(c.x.size()));
        std::vector<std::vector<float>> got;
        for (const Primitive& p : primitives(Kind::Polyline)) {
            got.emplace_back();
            for (auto pt : pt::currentScene().points(p))
                got.back().insert(got.back().end(), {pt.x, pt.y});
        }
        EXPECT_EQ(got, c.pieces);
    }
}

TEST_F(PlotTest, SceneKeepsOnlyWhatIsStillVisible) {
    openAxes();
    const float x[] = {0, 25, 50, 75, 100}, y[] = {10, 90, 20, 80, 30};
    const auto& scene = pt::currentScene();
    const size_t base = scene.liveCount();
    auto curves = [] { return primitives(Kind::Polyline).size(); };

    curve(x, y, 3);
    curve(x, y, 5);
    EXPECT_EQ(curves(), 1u) << "a curve that goes on replaces its beginning";
    thkcrv(3);
    curve(x, y, 5);
    thkcrv(1);
    curve(x, y, 5);
    EXPECT_EQ(curves(), 2u) << "a thinner line does not hide a thicker one";
    setclr(0xFFFFFF);  // the axis area's background is the page's white here
    thkcrv(3);
    curve(x, y, 5);
    EXPECT_EQ(curves(), 0u) << "erased, and the eraser itself not kept";
    EXPECT_EQ(scene.liveCount(), base);

    setclr(0);
    messag("kept", 100, 2000);
    messag("erased", 1000, 2000);
    recfll(990, 1990, 500, 60, 0xFFFFFF);
    EXPECT_EQ(texts().back(), "kept");
    EXPECT_EQ(scene.liveCount(), base + 1) << "a rectangle that only erased is dropped";
    recfll(100, 2020, 10, 10, 0xFFFFFF);
    EXPECT_EQ(primitives(Kind::Rect).size(), 1u) << "one over part of a text stays";

    setclr(0x808080);
    pagera();
    pagfll(0x00FFFF);
    ASSERT_EQ(scene.liveCount(), 2u);
    EXPECT_EQ(primitives(Kind::Border).size(), 1u) << "the border stays on top of a new fill";
}

TEST_F(PlotTest, LegendLinesLiveInTheProgramsBuffer) {
    openAxes();
    char buffer[3 * 101];
    std::memset(buffer, 'x', sizeof buffer);
    legini(buffer, 3, 80);
    leglin(buffer, "first", 1);
    leglin(buffer, std::string(120, 'L').c_str(), 3);
    leglin(buffer, "nowhere", 4);
    EXPECT_STREQ(buffer, "first");
    EXPECT_STREQ(buffer + 81, "");
    EXPECT_EQ(std::string(buffer + 162), std::string(80, 'L'));
    chncrv("color");
    clrcyc(1, 0x123456);
    const float x[] = {0, 100}, y[] = {0, 100};
    curve(x, y, 2);
    curve(x, y, 2);
    legtit("Graph legend");
    legpos(300, 50);
    legend(buffer, 1);
    std::vector<int32_t> strokes;
    for (const Primitive& p : primitives(Kind::Polyline))
        if (p.extent.bottom < 300) strokes.push_back(p.colour);
    EXPECT_EQ(strokes, (std::vector<int32_t>{0x123456, 0x0000FF, 0})) << "curve colours, then the current";
    const auto t = texts();
    EXPECT_EQ(std::vector<std::string>(t.end() - 3, t.end()),
              (std::vector<std::string>{"Graph legend", "first", std::string(80, 'L')}));
}

TEST_F(PlotTest, CursorModesAndTheEventQueue) {
    int x = 0, y = 0;
    EXPECT_EQ(csrpos(&x, &y), 0) << "nothing open";
    openAxes();
    csrmod("get", "pos");
    vx::plot::setPointer(11, 22);
    EXPECT_EQ(csrpos(&x, &y), 0);
    EXPECT_EQ(std::pair(x, y), std::pair(11, 22));
    vx::plot::postEvent(FRECCIA_UP_KEY, 100, 200);
    vx::plot::postEvent(PULSANTE_1_MOUSE, 300, 400);
    EXPECT_EQ(csrpos(&x, &y), FRECCIA_UP_KEY);
    EXPECT_EQ(std::pair(x, y), std::pair(100, 200));
    EXPECT_EQ(csrpos(&x, &y), PULSANTE_1_MOUSE);
    EXPECT_EQ(std::pair(x, y), std::pair(300, 400));
    EXPECT_EQ(csrpos(&x, &y), 0);

    csrmod("stan", "pos");  // clicks and the closing key only
    vx::plot::postEvent('+', 1, 1);
    vx::plot::postEvent(PULSANTE_2_MOUSE, 5, 6);
    EXPECT_EQ(csrpos(&x, &y), PULSANTE_2_MOUSE);
    csrmod("read", "pos");
    EXPECT_EQ(csrpos(&x, &y), 27) << "no window to wait for: the closing key";
    winkey("return");
    EXPECT_EQ(csrpos(&x, &y), 13);
    csrmod("set", "pos");
    x = 700, y = 800;
    csrpos(&x, &y);
    csrmod("get", "pos");
    EXPECT_EQ(csrpos(&x, &y), 0);
    EXPECT_EQ(std::pair(x, y), std::pair(700, 800));
}

TEST_F(PlotTest, PictureFileReplacesAnExistingOneOnlyWhenAsked) {
    const std::string target = (dir / "graph.wmf").string();
    auto plot = [&](const char* mode) {
        metafl("WMF");
        setfil(target.c_str());
        if (mode) filmod(mode);
        disini();
        messag("text", 100, 100);
        disfin();
        return pt::lastPictureFile();
    };
    EXPECT_EQ(plot(nullptr), target);
    EXPECT_EQ(plot(nullptr), (dir / "graph_1.wmf").string()) << "the existing file is kept";
    EXPECT_EQ(plot(nullptr), (dir / "graph_2.wmf").string());
    fs::resize_file(target, 0);
    EXPECT_EQ(plot("DELETE"), target);
    EXPECT_GT(fs::file_size(target), 0u) << "replaced";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3)
        << "no temporary file left";
}

// --- The Windows metafile ----------------------------------------------------------------

uint16_t word(const std::string& s, size_t at) {
    return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8);
}
uint32_t dword(const std::string& s, size_t at) {
    return word(s, at) | uint32_t(word(s, at + 2)) << 16;
}

class WmfTest : public PlotTest {
  protected:
    // A graph with every kind of primitive, written as the column graph writes its file.
    std::string drawGraph() {
        const std::string file = (dir / "graph.wmf").string();
        metafl("WMF");
        setfil(file.c_str());
        filmod("DELETE");
        disini();
        pagera();
        pagfll(intrgb(1, 1, 0.6f));
        winfnt("Arial Bold");
        axspos(300, 1900);
        axslen(2500, 1650);
        name("Item", "x");
        axsbgd(intrgb(1, 1, 1));
        graf(1, 10, 1, 1, 0, 30, 0, 5);
        color("red");
        const float x[] = {1, 4, 7, 10}, y[] = {3, 25, 12, 40};
        thkcrv(3);
        curve(x, y, 4);
        height(36);
        messag("CH1", 100, 50);
        messag("25 \260C", 100, 100);
        disfin();
        return file;
    }
};

TEST_F(WmfTest, PlaceableMetafileWhoseRecordsAddUpAndAReaderRenders) {
    const std::string wmf = drawGraph(), f = readFile(wmf);
    ASSERT_GT(f.size(), 40u);
    EXPECT_EQ(dword(f, 0), 0x9AC6CDD7u);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= word(f, i);
    EXPECT_EQ(word(f, 20), sum) << "checksum of the placeable header";
    EXPECT_EQ(word(f, 10), 2970);
    EXPECT_EQ(word(f, 12), 2100);
    EXPECT_EQ(word(f, 14), 254);
    EXPECT_EQ(word(f, 22 + 2), 9);
    EXPECT_EQ(dword(f, 22 + 6) * 2, f.size() - 22) << "size in words";

    std::map<uint16_t, int> seen;
    std::set<int> objects;
    uint32_t largest = 0;
    std::vector<std::string> texts;
    size_t at = 40;
    uint16_t last = 0xFFFF;
    while (at + 6 <= f.size()) {
        const uint32_t words = dword(f, at);
        const uint16_t fn = word(f, at + 4);
        ASSERT_GE(words, 3u);
        ASSERT_LE(at + words * 2, f.size());
        largest = std::max(largest, words);
        ++seen[fn];
        if (fn == 0x02FA || fn == 0x02FB || fn == 0x02FC) {  // created objects take the lowest free slot
            int slot = 0;
            while (objects.count(slot))
                ++slot;
            objects.insert(slot);
            EXPECT_LT(slot, word(f, 22 + 10)) << "within the object table";
        }
        if (fn == 0x012D) {
            EXPECT_TRUE(objects.count(word(f, at + 6))) << "selects an object that exists";
        }
        if (fn == 0x01F0) {
            EXPECT_EQ(objects.erase(word(f, at + 6)), 1u) << "deletes an object that exists";
        }
        if (fn == 0x0521) texts.push_back(f.substr(at + 8, word(f, at + 6)));
        last = fn;
        at += words * 2;
    }
    EXPECT_EQ(at, f.size()) << "record sizes add up to the file";
    EXPECT_EQ(last, 0x0000) << "ends with META_EOF";
    EXPECT_EQ(dword(f, 22 + 12), largest) << "largest record";
    EXPECT_TRUE(objects.empty()) << "every object deleted";
    for (uint16_t fn : {0x02FA, 0x02FC, 0x012D, 0x01F0, 0x0325, 0x041B, 0x02FB, 0x0521, 0x0209, 0x0102})
        EXPECT_TRUE(seen.count(fn)) << std::hex << fn;
    EXPECT_NE(std::find(texts.begin(), texts.end(), "25 \260C"), texts.end())
        << "Windows-1252 bytes as they are";
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Item"), texts.end());

    // A metafile reader (wmf2svg of libwmf) renders it.
    const fs::path svg = dir / "graph.svg";
    const std::string cmd = "wmf2svg -o '" + svg.string() + "' '" + wmf + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "wmf2svg (libwmf-bin, installed by tools/bootstrap) failed";
    const std::string out = readFile(svg);
    for (const char* text : {"CH1", "Item", "30"})
        EXPECT_NE(out.find(text), std::string::npos) << text;
    EXPECT_NE(out.find("<svg"), std::string::npos);
}

// --- The real-time graph windows ---------------------------------------------------------

constexpr int32_t kPage = 0xE6E6E6, kAxisArea = 0xFFFFFF, kPale = 0xD9D9D9, kRed = 0x0000FF;

class RealtimeGraphTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        Init_Datalogger();
        vx::graphs::ValoreYold = 0;  // as at start-up
    }
    // The calls one action makes.
    template <class F>
    static std::vector<Call> during(F&& action) {
        pt::startRecording();
        action();
        return pt::stopRecording();
    }
    static std::vector<Call> only(const std::vector<Call>& calls, const char* routine) {
        std::vector<Call> v;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(v),
                     [&](const Call& c) { return c.routine == routine; });
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
    for (auto open : {Init_Graph1, Init_Graph2})
        for (auto [points, opens] : {std::pair{9, false}, {10, true}, {2000, true}, {2001, false}}) {
            const int xpoint = points;  // a lambda may not capture a structured binding (clang 14)
            SCOPED_TRACE(xpoint);
            auto calls = during([&] { open("G", 319, 0, 0.7f, -50, 50, xpoint, 2); });
            EXPECT_EQ(only(calls, "disini").size(), opens ? 1u : 0u);
            if (opens) {
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
    const std::tuple<int32_t, float, float> cases[] = {{FRECCIA_DOWN_KEY, -40, 60},
                                                       {FRECCIA_UP_KEY, -60, 40},
                                                       {FRECCIA_LEFT_KEY, -65, 65},
                                                       {FRECCIA_RIGHT_KEY, -38.4615f, 38.4615f}};
    for (const auto& [key, ymin, ymax] : cases) {
        SCOPED_TRACE(key);
        Init_Datalogger();
        Init_Graph1("Sliding cursor", 319, 0, 0.7f, Ymin_def, Ymax_def, 500, 2);
        vx::plot::postEvent(key, 1000, 1000);
        int32_t code = 0;
        auto calls = during([&] { code = Gest_Curs(); });
        EXPECT_EQ(code, key);
        EXPECT_NEAR(Ymin_def, ymin, 1e-3);
        EXPECT_NEAR(Ymax_def, ymax, 1e-3);
        const Call g = only(calls, "graf")[0];
        EXPECT_NEAR(g.numbers[4], ymin, 1e-3);
        EXPECT_NEAR(g.numbers[5], ymax, 1e-3);
        EXPECT_EQ(only(calls, "messag").size(), 2u) << "the channel labels return";
        Close_Graph();
        auto reopened = during([] { Init_Graph2("Sliding data", 319, 0, 0.7f, Ymin_def, Ymax_def, 500, 2); });
        EXPECT_NEAR(only(reopened, "graf")[0].numbers[4], ymin, 1e-3);
        Close_Graph();
    }
}

TEST_F(RealtimeGraphTest, LeftClickReadsYAndItsDifferenceInsideTheHitAreaOtherEventsDrawNothing) {
    EXPECT_EQ(Gest_Curs(), 0) << "no graph open";
    Init_Graph2("Sliding data", 319, 0, 0.7f, -50, 50, 500, 1);
    EXPECT_EQ(Gest_Curs(), 0) << "no event";
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
