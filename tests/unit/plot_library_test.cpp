// The plotting library's core: keywords, colours, the axis system, clipping, the scene's
// coalescing, legends, the event queue and the picture files' names.

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "graphs/plot_interface.h"
#include "plot/keyword.h"
#include "plot/library.h"
#include "plot/plot_testing.h"

namespace {

namespace pt = vx::plot::testing;
using vx::plot::Kind;
using vx::plot::Primitive;

class PlotTest : public ::testing::Test {
  protected:
    void SetUp() override { pt::resetPlotting(); }
    void TearDown() override { pt::resetPlotting(); }

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
};

TEST(PlotKeywordTest, FirstFourCharactersAnyCase) {
    const struct {
        const char* word;
        std::initializer_list<const char*> keys;
        int index;
    } cases[] = {
        {"ticks", {"NONE", "LINE", "TICK", "LABE", "NAME"}, 2},
        {"Labels", {"NONE", "LINE", "TICK", "LABE", "NAME"}, 3},
        {"TIC", {"NONE", "LINE", "TICK", "LABE", "NAME"}, -1},
        {"get", {"STAN", "SET ", "READ", "GET "}, 3},
        {"Set", {"STAN", "SET ", "READ", "GET "}, 1},
        {"getx", {"STAN", "SET ", "READ", "GET "}, -1},
        {"xwindow", {"XWIN", "WMF "}, 0},
        {"wmf", {"XWIN", "WMF "}, 1},
        {"NOHOLD", {"FULL", "NOER", "NONE", "NOHO", "DELA", "NOMB"}, 3},
        {"", {"NONE"}, -1},
        {nullptr, {"NONE"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word ? c.word : "(null)");
        EXPECT_EQ(vx::plot::keywordIndex(c.word, c.keys), c.index);
    }
}

TEST_F(PlotTest, RoutinesTakeTheirKeywordsAndIgnoreUnknownOnes) {
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
    const struct {
        float r, g, b;
        int32_t exact, palette;
    } cases[] = {
        {1, 0, 0, 0x0000FF, 0x0000FF},           // red in the low byte
        {0, 0, 1, 0xFF0000, 0xFF0000},           // blue in the third
        {0.9f, 0.9f, 0.9f, 0xE6E6E6, 0xE4E4E4},  // the nearest grey of the ramp
        {0.5f, 0.5f, 0.5f, 0x808080, 0x808080},  // the middle grey is in the palette
        {0.85f, 0.85f, 0.85f, 0xD9D9D9, 0xDADADA},
        {0, 0.5f, 0.5f, 0x808000, 0x808000},
        {2, -1, 0.2f, 0x3300FF, 0x3300FF},  // clamped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
        EXPECT_EQ(intrgb(c.r, c.g, c.b), c.exact);
        EXPECT_EQ(indrgb(c.r, c.g, c.b), c.palette);
    }
}

TEST_F(PlotTest, AxisLabelsTicksAndGrid) {
    metafl("XWIN");
    disini();
    axspos(350, 1800);
    axslen(2500, 1550);
    labdig(-1, "x");
    graf(0, 499, 0, 49.9f, -50, 50, -50, 10);
    const std::vector<std::string> x = {"0",   "50",  "100", "150", "200", "250",
                                        "299", "349", "399", "449", "499"};
    std::vector<std::string> y = {"-50.0", "-40.0", "-30.0", "-20.0", "-10.0", "0.0",
                                  "10.0",  "20.0",  "30.0",  "40.0",  "50.0"};
    std::vector<std::string> expected = x;
    expected.insert(expected.end(), y.begin(), y.end());
    EXPECT_EQ(texts(), expected);
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
    y = {"-0.5", "-0.2", "0.0", "0.2", "0.5", "Volts"};  // ties to even
    EXPECT_EQ(texts(), y) << "no x labels, y labels with one decimal, the name";
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
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("plot_files_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
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
    fs::remove_all(dir);
}

}  // namespace
