// The plotting library's Qt side on the offscreen platform: the screen window's events
// and cursor, a real-time graph drawn into it, and the SVG and PNG pictures.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "graphs/datalogger/realtime_graph.h"
#include "graphs/plot_interface.h"
#include "plot/plot_testing.h"
#include "plot/qt/install.h"
#include "plot/qt/plot_window.h"

namespace {

namespace fs = std::filesystem;
using vx::plot::qt::PlotWindow;

class PlotWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vx::plot::testing::resetPlotting();
        vx::plot::qt::installQtPlotting();
    }
    void TearDown() override {
        vx::plot::testing::resetPlotting();
        vx::plot::setScreen(nullptr);
        vx::plot::setPictureWriter(nullptr);
    }
    static PlotWindow* plotWindow() {
        return static_cast<vx::plot::qt::QtScreen*>(vx::plot::registeredScreen())->window();
    }
    // A window a fifth of the page's size: one pixel is five page units.
    static PlotWindow* openWindow() {
        metafl("XWIN");
        window(20, 20, 594, 420);
        disini();
        winmod("NOHOLD");
        PlotWindow* w = plotWindow();
        EXPECT_TRUE(w && QTest::qWaitForWindowExposed(w));
        return w;
    }
};

TEST_F(PlotWindowTest, KeysAndClicksComeBackWithTheirCodesAndPagePositions) {
    PlotWindow* w = openWindow();
    ASSERT_TRUE(w);
    csrmod("get", "pos");
    int x = 0, y = 0;
    QTest::mouseMove(w, w->fromPage(1200, 900).toPoint());
    const std::pair<int, int32_t> keys[] = {{Qt::Key_Left, FRECCIA_LEFT_KEY},
                                            {Qt::Key_Up, FRECCIA_UP_KEY},
                                            {Qt::Key_Right, FRECCIA_RIGHT_KEY},
                                            {Qt::Key_Down, FRECCIA_DOWN_KEY},
                                            {Qt::Key_Escape, 27},
                                            {Qt::Key_Plus, 43},
                                            {Qt::Key_Minus, 45},
                                            {Qt::Key_F, 102}};
    for (auto [key, code] : keys) {
        SCOPED_TRACE(code);
        const QString text = key == Qt::Key_Plus    ? "+"
                             : key == Qt::Key_Minus ? "-"
                             : key == Qt::Key_F     ? "f"
                                                    : "";
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        EXPECT_EQ(csrpos(&x, &y), code);
        EXPECT_NEAR(x, 1200, 5);
        EXPECT_NEAR(y, 900, 5);
    }
    const struct {
        Qt::MouseButton button;
        int x, y;
        int32_t code;
    } clicks[] = {{Qt::LeftButton, 1485, 1050, PULSANTE_1_MOUSE},
                  {Qt::RightButton, 300, 2000, PULSANTE_2_MOUSE},
                  {Qt::LeftButton, 2900, 100, PULSANTE_1_MOUSE}};
    for (const auto& c : clicks) {
        QTest::mouseClick(w, c.button, {}, w->fromPage(c.x, c.y).toPoint());
        EXPECT_EQ(csrpos(&x, &y), c.code);
        EXPECT_NEAR(x, c.x, 5);
        EXPECT_NEAR(y, c.y, 5);
    }
    QTest::mouseClick(w, Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_EQ(csrpos(&x, &y), 0) << "the middle button has no code";
}

TEST_F(PlotWindowTest, ReadKeepsTheWindowWorkingUntilAnEventComes) {
    PlotWindow* w = openWindow();
    ASSERT_TRUE(w);
    QTimer::singleShot(30, w, [w] { QTest::keyClick(w, Qt::Key_Down); });
    csrmod("read", "pos");
    int x, y;
    EXPECT_EQ(csrpos(&x, &y), FRECCIA_DOWN_KEY);
    w->close();
    EXPECT_EQ(csrpos(&x, &y), 27) << "closing the window is Escape";
    EXPECT_EQ(csrpos(&x, &y), 27) << "and nothing is left to wait for";
}

TEST_F(PlotWindowTest, CursorShapeAndWindowFollowTheLibrary) {
    PlotWindow* w = openWindow();
    ASSERT_TRUE(w);
    wintit("Graph \xB0");
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Graph \u00B0"));
    setcsr("cross");
    EXPECT_EQ(w->cursor().shape(), Qt::CrossCursor);
    setcsr("Arrow");
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    disfin();
    EXPECT_EQ(plotWindow(), nullptr);
}

TEST_F(PlotWindowTest, RealtimeGraphDrawsIntoAWindowSizedFromTheScreen) {
    Init_Graph1("Sliding cursor", 319, 0, 0.7f, -50, 50, 100, 2);
    PlotWindow* w = plotWindow();
    ASSERT_TRUE(w && QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(w->width(), int(float(w->screen()->geometry().width()) * 0.7f));
    float d[NGRAPH_MAX] = {10, -20};
    for (int s = 0; s < 50; ++s)
        Plot_Graph1(d);
    const QImage shot = w->grab().toImage();
    auto has = [&](QRgb colour) {
        for (int yy = 0; yy < shot.height(); ++yy)
            for (int xx = 0; xx < shot.width(); ++xx)
                if ((shot.pixel(xx, yy) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        return false;
    };
    EXPECT_TRUE(has(qRgb(255, 0, 0))) << "the cursor";
    EXPECT_TRUE(has(qRgb(0, 255, 0))) << "channel 2";
    EXPECT_TRUE(has(qRgb(230, 230, 230))) << "the page";
    Close_Graph();
    EXPECT_EQ(plotWindow(), nullptr);
}

TEST_F(PlotWindowTest, SvgAndPngPictures) {
    const fs::path dir = fs::temp_directory_path() / ("plot_pictures_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* format : {"SVG", "PNG"}) {
        SCOPED_TRACE(format);
        const std::string file = (dir / (std::string("graph.") + format)).string();
        metafl(format);
        setfil(file.c_str());
        disini();
        pagfll(intrgb(0, 0, 1));
        messag("CH1", 100, 100);
        disfin();
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (std::string(format) == "SVG") {
            EXPECT_TRUE(bytes.contains("<svg"));
            EXPECT_TRUE(bytes.contains("CH1"));
        } else {
            QImage image = QImage::fromData(bytes, "PNG");
            EXPECT_EQ(image.size(), QSize(1485, 1050));
            EXPECT_EQ(image.pixel(1400, 1000) & 0xFFFFFF, 0x0000FFu);
        }
    }
    fs::remove_all(dir);
}

}  // namespace
