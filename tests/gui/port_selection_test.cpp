// The port selection: the automatic scan over the ports of VENDRIX_PORTS (simulated
// devices on pseudo-terminals), the list for a manual choice, and how the window ends.

#include <QListWidget>
#include <QPushButton>
#include <cstdlib>

#include "gui_helpers.h"
#include "link/com.h"
#include "state/flags.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "shell/windows/port_selection.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

using vx::shell::PortSelection;

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
        devices.clear();
        ProgramTest::TearDown();
    }
    // Starts one device per settings ("-" for a path that does not exist) and lists them.
    void ports(const std::vector<std::string>& specs) {
        std::string list;
        for (const std::string& s : specs) {
            std::string path = "/nonexistent/tty" + std::to_string(devices.size());
            if (s != "-") {
                devices.push_back(startDevice(s));
                ASSERT_TRUE(devices.back());
                path = devices.back()->path();
            }
            paths.push_back(path);
            list += (list.empty() ? "" : ":") + path;
        }
        setenv("VENDRIX_PORTS", list.c_str(), 1);
    }
    QStringList listed(PortSelection& w) {
        QStringList l;
        auto* list = control<QListWidget>(&w, "ID_LST_SELCOM");
        for (int i = 0; i < list->count(); ++i)
            l << list->item(i)->text();
        return l;
    }
    QStringList q(std::initializer_list<size_t> idx) {
        QStringList l;
        for (size_t i : idx)
            l << QString::fromStdString(paths[i]);
        return l;
    }

    std::vector<std::unique_ptr<vx::sim::PtyServer>> devices;
    std::vector<std::string> paths;
};

TEST_F(PortSelectionTest, DeviceOnTheThirdPortEndsTheScanUnseen) {
    ports({"silent", "silent", "qm41"});
    PortSelection w;
    EXPECT_EQ(w.scan(), 2);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(std::string(CommPort), paths[2]);
    EXPECT_EQ(Nport, 3);
    EXPECT_NE(hCom, nullptr);
    EXPECT_EQ(Timeout_rx, 200) << "the long time-out (-t) after the scan";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PortSelectionTest, NoneAnsweringListsThePortsThatOpened) {
    ports({"silent", "-", "silent"});
    PortSelection w;
    EXPECT_EQ(w.scan(), 0);
    EXPECT_EQ(listed(w), q({0, 2}));
    EXPECT_EQ(hCom, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(w.windowTitle().toStdString(), "Vendrix v.5.0.en");
    EXPECT_EQ(control<QWidget>(&w, "ID_TXT_SELINFO1")->property("text").toString().toStdString(),
              "Select the COM port of the datalogger with a double-click (or press ENTER)");
}

TEST_F(PortSelectionTest, NoPortAtAllWarns) {
    ports({"-", "-"});
    PortSelection w;
    EXPECT_EQ(w.scan(), 0);
    EXPECT_TRUE(listed(w).isEmpty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "No COM port found !\r\n\r\nQuit the program and verify the serial connection");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Warning);
}

TEST_F(PortSelectionTest, FailedManualChoiceKeepsTheWindowOpen) {
    ports({"silent"});
    PortSelection w;
    ASSERT_EQ(w.scan(), 0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* list = control<QListWidget>(&w, "ID_LST_SELCOM");
    QRect r = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Device not found !\r\n\r\n(BaudRate= 256000)");
    EXPECT_EQ(ui.messages[0].caption, "COM Error");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Error);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(hCom, nullptr);
    EXPECT_EQ(std::string(CommPort), paths[0]);
}

TEST_F(PortSelectionTest, EnterOnTheListTriesTheSelectedPortEnterElsewhereNothing) {
    ports({"silent", "silent"});
    PortSelection w;
    ASSERT_EQ(w.scan(), 0);
    w.show();
    QApplication::setActiveWindow(&w);
    auto* list = control<QListWidget>(&w, "ID_LST_SELCOM");
    auto* exit = control<QPushButton>(&w, "ID_BTN_SELCOMEXIT");
    EXPECT_EQ(list->currentRow(), 0);  // the first entry is preselected
    QTest::keyClick(exit, Qt::Key_Return);
    EXPECT_TRUE(ui.messages.empty());
    list->clearSelection();
    QTest::keyClick(list, Qt::Key_Return);  // nothing selected
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(w.isVisible());
    list->setCurrentRow(1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(std::string(CommPort), paths[1]);
}

TEST_F(PortSelectionTest, ExitCloseAndQuickMode) {
    ports({"silent"});
    {
        PortSelection w;
        ASSERT_EQ(w.scan(), 0);
        w.show();
        QTest::mouseClick(control<QPushButton>(&w, "ID_BTN_SELCOMEXIT"), Qt::LeftButton);
        EXPECT_EQ(w.result(), 1);
    }
    {
        PortSelection w;
        ASSERT_EQ(w.scan(), 0);
        w.show();
        w.setResult(5);
        w.close();
        EXPECT_EQ(w.result(), 0);
    }
    {
        bool enabledDuring = true;
        int runs = 0;
        PortSelection w([&](QWidget* owner) {
            enabledDuring = owner->isEnabled();
            ++runs;
            return 0;
        });
        ASSERT_EQ(w.scan(), 0);
        w.show();
        QTest::keyClick(control<QWidget>(&w, "ID_LST_SELCOM"), Qt::Key_Q, Qt::AltModifier);
        EXPECT_EQ(runs, 1);
        EXPECT_FALSE(enabledDuring);
        EXPECT_TRUE(w.isEnabled());
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(Nport, 1) << "the scan is not repeated";
    }
}

}  // namespace
}  // namespace vx::test
