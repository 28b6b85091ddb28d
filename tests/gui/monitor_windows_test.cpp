// The main window's Monitor and Sample Timer buttons with the program's own windows, against
// a simulated logger on a pseudo-terminal: the monitor over the disabled main window, the
// channel selection, the channel windows, the graph, and the sample timer dialog.

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "graphs/datalogger/realtime_graph.h"
#include "gui_helpers.h"
#include "monitor/monitor_state.h"
#include "monitor/windows/channel_selection_dialog.h"
#include "monitor/windows/channel_window.h"
#include "monitor/windows/monitor_dialog.h"
#include "monitor/windows/sample_timer_dialog.h"
#include "plot/qt/install.h"
#include "shell/startup_state.h"
#include "shell/windows/main_window.h"
#include "sim/logger_device.h"

namespace vx::test {
namespace {

using vx::monitor::ChannelSelectionDialog;
using vx::monitor::MonitorDialog;
using vx::monitor::SampleTimerDialog;

class MonitorWindowsTest : public SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        vx::plot::qt::installQtPlotting();
    }
    void TearDown() override {
        window.reset();
        SimLoggerTest::TearDown();
    }
    void open(const std::string& settings) {
        ASSERT_TRUE(connect(settings));
        buildProgramNames();
        window = std::make_unique<vx::shell::MainWindow>();  // the program's own links
        window->openSequence();
        window->show();
    }
    vx::sim::LoggerDevice& logger() {
        vx::sim::LoggerDevice* d = nullptr;
        server->withDevice([&](vx::sim::Device& dev) { d = dynamic_cast<vx::sim::LoggerDevice*>(&dev); });
        return *d;
    }
    bool monitoring() {
        bool on = false;
        server->withDevice(
            [&](vx::sim::Device& dev) { on = dynamic_cast<vx::sim::LoggerDevice&>(dev).monitoring(); });
        return on;
    }
    // Runs `script` once the top-level window named `name` shows and takes input (from inside
    // its loop; the monitor's Esc stays disabled while the temporary buffer is read).
    template <class W>
    static void whenShown(const char* name, std::function<void(W*)> script, int looksLeft = 2000) {
        // Looks again later rather than waiting here: this may run inside another window's
        // event processing, which must be let go on.
        QTimer::singleShot(5, [name, script, looksLeft] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String(name) && w->isVisible() &&
                    !QApplication::activeModalWidget() && allButtonsEnabled(w))
                    return script(qobject_cast<W*>(w));
            if (looksLeft == 0) return void(ADD_FAILURE() << "no window " << name);
            whenShown<W>(name, script, looksLeft - 1);
        });
    }
    static bool allButtonsEnabled(QWidget* w) {
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (!b->isEnabled()) return false;
        return true;
    }
    void click(QWidget* owner, const char* name) {
        QTest::mouseClick(control<QPushButton>(owner, name), Qt::LeftButton);
    }

    std::unique_ptr<vx::shell::MainWindow> window;
};

TEST_F(MonitorWindowsTest, MonitorShowsPacketsAndTheChosenChannelsThenGivesTheMainWindowBack) {
    open("qm41,nodes=2,pages=3,opstatus=05,mon-rate=40,mon-broadcast=0,mon-test=0");
    vx::ui::qt::installQtBackend();  // the packets go into the real text box
    bool ran = false;
    whenShown<MonitorDialog>("DlgMonitor", [&](MonitorDialog* mon) {
        ran = true;
        EXPECT_FALSE(window->isEnabled()) << "the main window waits while the monitor is open";
        EXPECT_TRUE(monitoring());
        QPlainTextEdit* text = mon->textBox();
        EXPECT_TRUE(QTest::qWaitFor([&] { return text->document()->blockCount() > 6; }, 10000))
            << "packets arrive in the box: " << text->toPlainText().toStdString();

        // Two channels of the first node on the sliding graph.
        bool selected = false;
        whenModal<ChannelSelectionDialog>([&](ChannelSelectionDialog* sel) {
            selected = true;
            QTableWidget* list = sel->list();
            auto* graph = control<QCheckBox>(sel, "ID_CHK_SELGRAPH");
            EXPECT_FALSE(graph->isEnabled()) << "no graph without a channel";
            sel->clickCell(0, 0);  // the node column selects nothing
            sel->clickCell(0, 2);
            sel->clickCell(0, 3);
            EXPECT_EQ(list->item(0, 0)->background().color(), QColor(0xE6E6E6));
            EXPECT_EQ(list->item(0, 2)->background().color(), QColor(0xFFFF00));
            EXPECT_EQ(list->item(0, 3)->background().color(), QColor(0xFFFF00));
            EXPECT_EQ(list->item(1, 2)->background().color(), QColor(0xFFFFFF));
            ASSERT_TRUE(graph->isEnabled());
            QTest::mouseClick(graph, Qt::LeftButton);
            QTest::keyClick(sel, Qt::Key_Escape);
        });
        mon->displayChannelsClicked();
        EXPECT_TRUE(selected);
        EXPECT_EQ(Flag_Graph, 2);
        vx::monitor::ChannelWindow* first = mon->channelWindow(0);
        vx::monitor::ChannelWindow* second = mon->channelWindow(1);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(mon->channelWindow(2), nullptr);
        EXPECT_EQ(first->pos(), QPoint(0, 0));
        EXPECT_EQ(second->pos(), QPoint(0, 100));
        EXPECT_TRUE(first->windowTitle().startsWith(QStringLiteral("CH")))
            << first->windowTitle().toStdString();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !first->value().isEmpty() && !second->value().isEmpty(); }, 10000))
            << "each channel window shows its channel's value";
        second->move(137, 59);
        EXPECT_EQ(second->pos(), QPoint(120, 40)) << "a moved channel window snaps to 20 pixels";

        click(mon, "ID_BTN_MONESC");  // no export: no question
    });
    QTest::mouseClick(control<QPushButton>(window.get(), "ID_BTN_MONITOR"), Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(monitoring()) << "the logger left monitor mode";
    EXPECT_EQ(Flag_Graph, 0);
    EXPECT_EQ(InfoSELCH.ncsel, 0u) << "the selection ends with the monitor";
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->objectName().startsWith(QStringLiteral("DlgCanale")))
            << "channel window left open";
}

TEST_F(MonitorWindowsTest, SampleTimerClampsAndSendsTheValueThenClosesWithTheInformation) {
    open("qm41,nodes=2,pages=3,opstatus=05");
    bool ran = false;
    whenModal<SampleTimerDialog>([&](SampleTimerDialog* dlg) {
        ran = true;
        auto* value = control<QLineEdit>(dlg, "ID_EDT_SATMR");
        EXPECT_EQ(value->text(), QStringLiteral("180"));
        value->setText(QStringLiteral("70000"));
        QTest::keyClick(value, Qt::Key_Return);
        EXPECT_EQ(value->text(), QStringLiteral("65535")) << "Enter clamps";
        EXPECT_TRUE(dlg->isVisible()) << "Enter only checks the value";
        value->setText(QStringLiteral("0"));
        click(dlg, "ID_BTN_SATMRSET");
        EXPECT_TRUE(dlg->isVisible()) << "0 keeps the dialog open";
        value->setText(QStringLiteral("90"));
        click(dlg, "ID_BTN_SATMRSET");
    });
    QTest::mouseClick(control<QPushButton>(window.get(), "ID_BTN_SATMR"), Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_EQ(logger().satmrSet(), 90);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().caption, "Info");
    EXPECT_TRUE(window->isEnabled());
}

}  // namespace
}  // namespace vx::test
