// The port selection: the automatic scan over the ports of VENDRIX_PORTS (simulated
// devices on pseudo-terminals), the list for a manual choice, and how the window ends.

#include <QListWidget>
#include <cstdlib>

#include "gui_helpers.h"
#include "link/com.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "shell/windows/port_selection.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using vx::shell::PortSelection;
using vx::ui::Icon;

class PortSelectionTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        buildProgramNames();
        TMO_value = 200;  // the long time-out of the manual choice, kept short here
    }
    void TearDown() override {
        unsetenv("VENDRIX_PORTS");
        closePort(hCom);
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    // Starts one device per settings ("-" for a path that does not exist), lists them in
    // VENDRIX_PORTS and scans them with a new window.
    int scan(const std::vector<std::string>& settings) {
        devices.clear();
        paths.clear();
        std::string list;
        for (const std::string& s : settings) {
            paths.push_back("/nonexistent/tty" + std::to_string(paths.size()));
            if (s != "-") {
                devices.push_back(startDevice(s));
                if (devices.back()) paths.back() = devices.back()->path();
            }
            list += (list.empty() ? "" : ":") + paths.back();
        }
        setenv("VENDRIX_PORTS", list.c_str(), 1);
        w = std::make_unique<PortSelection>([this](QWidget* owner) {
            quickModeSawEnabled = owner->isEnabled();
            return ++quickModeRuns, 0;
        });
        return w->scan();
    }
    void show() {
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QListWidget* list() { return control<QListWidget>(w.get(), "ID_LST_SELCOM"); }
    std::vector<std::string> listed() {
        std::vector<std::string> l;
        for (int i = 0; i < list()->count(); ++i)
            l.push_back(list()->item(i)->text().toStdString());
        return l;
    }

    std::vector<std::unique_ptr<vx::sim::PtyServer>> devices;
    std::vector<std::string> paths;
    std::unique_ptr<PortSelection> w;
    int quickModeRuns = 0;
    bool quickModeSawEnabled = true;
};

TEST_F(PortSelectionTest, ScanKeepsTheFirstAnsweringPortUnseenElseListsThePortsThatOpened) {
    EXPECT_EQ(scan({"silent", "-", "silent", "qm41", "qm41"}), 2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(std::string(CommPort), paths[3]);
    EXPECT_EQ(Nport, 3) << "the missing port is not counted";
    EXPECT_NE(hCom, nullptr);
    EXPECT_EQ(Timeout_rx, 200) << "the long time-out (-t) after the scan";
    EXPECT_TRUE(ui.messages.empty());
    closePort(hCom);
    hCom = nullptr;

    EXPECT_EQ(scan({"silent", "-", "silent"}), 0);
    EXPECT_EQ(listed(), (std::vector<std::string>{paths[0], paths[2]}));
    EXPECT_EQ(list()->currentRow(), 0) << "the first entry is preselected";
    EXPECT_EQ(hCom, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(w->windowTitle().toStdString(), "Vendrix v.5.0.en");
    EXPECT_EQ(control(w.get(), "ID_TXT_SELINFO1")->property("text").toString().toStdString(),
              "Select the COM port of the datalogger with a double-click (or press ENTER)");

    EXPECT_EQ(scan({"-", "-"}), 0);
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(
        shown(ui),
        (std::vector<Msg>{{"No COM port found !\r\n\r\nQuit the program and verify the serial connection",
                           "Warning", Icon::Warning}}));
}

TEST_F(PortSelectionTest, DoubleClickOrEnterOnTheListTriesThePortEnterElsewhereNothing) {
    ASSERT_EQ(scan({"silent", "silent"}), 0);
    show();
    QTest::keyClick(control(w.get(), "ID_BTN_SELCOMEXIT"), Qt::Key_Return);
    list()->clearSelection();
    QTest::keyClick(list(), Qt::Key_Return);  // nothing selected
    EXPECT_TRUE(ui.messages.empty());
    const Msg notFound{"Device not found !\r\n\r\n(BaudRate= 256000)", "COM Error", Icon::Error};

    QRect r = list()->visualItemRect(list()->item(0));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(shown(ui), std::vector<Msg>{notFound});
    EXPECT_EQ(std::string(CommPort), paths[0]);

    list()->setCurrentRow(1);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(shown(ui), (std::vector<Msg>{notFound, notFound}));
    EXPECT_EQ(std::string(CommPort), paths[1]);
    EXPECT_TRUE(w->isVisible()) << "a failed choice keeps the window open";
    EXPECT_EQ(hCom, nullptr);
}

TEST_F(PortSelectionTest, ExitEndsWithOneTheCloseBoxWithZeroAltQRunsTheQuickMode) {
    for (bool exit : {true, false}) {
        SCOPED_TRACE(exit ? "Exit" : "close box");
        ASSERT_EQ(scan({"silent"}), 0);
        show();
        w->setResult(5);
        if (exit)
            QTest::mouseClick(control<QPushButton>(w.get(), "ID_BTN_SELCOMEXIT"), Qt::LeftButton);
        else
            w->close();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), exit ? 1 : 0);
    }
    show();
    QTest::keyClick(list(), Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(quickModeRuns, 1);
    EXPECT_FALSE(quickModeSawEnabled);
    EXPECT_TRUE(w->isEnabled());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Nport, 1) << "the scan is not repeated";
}

}  // namespace
}  // namespace vx::test
