// The remote connection window on a simulated modem with a logger behind it: the number
// from "Farlinks.ini", the dial, the connection, "Read Data" and the hang-up.

#include <QLabel>
#include <fstream>

#include "gui_helpers.h"
#include "link/com.h"
#include "link/dialing.h"
#include "shell/windows/remote_dialog.h"
#include "state/exe_dir.h"
#include "state/flags.h"

namespace vx::test {
namespace {

class RemoteDialogTest : public SimLoggerTest {};

TEST_F(RemoteDialogTest, DialConnectReadDataAndHangUp) {
    Flag.modem = 1;
    ASSERT_TRUE(connect("modem,dial-delay=800"));  // the result comes to the timer
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", dir_.c_str());
    std::ofstream(dir_ / "Farlinks.ini", std::ios::binary) << "Ntel=5550100\r\n";
    int readData = 0;
    vx::shell::RemoteDialog dlg([&](QWidget*) {
        ++readData;
        EXPECT_EQ(Flag.modem, 1);
        EXPECT_EQ(Datalogger.hw, '0');  // the logger behind the modem answered
    });
    auto* number = control<QPushButton>(&dlg, "ID_BTN_NTEL");
    auto* conn = control<QPushButton>(&dlg, "ID_BTN_CONN");
    auto* read = control<QPushButton>(&dlg, "ID_BTN_VENDRIX");
    auto* rexit = control<QPushButton>(&dlg, "ID_BTN_REXIT");
    auto* status = control<QLabel>(&dlg, "ID_TXT_STATO");
    EXPECT_EQ(number->text(), "5550100");
    EXPECT_FALSE(read->isEnabled());
    EXPECT_EQ(rexit->text(), "Exit");

    conn->click();
    EXPECT_EQ(status->text(), "Connecting...");
    EXPECT_EQ(rexit->text(), "Stop");
    EXPECT_FALSE(conn->isEnabled());
    EXPECT_TRUE(dlg.timerRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return read->isEnabled(); }, 10000));
    EXPECT_EQ(status->text(), "Connect");
    EXPECT_EQ(rexit->text(), "Hang up");
    EXPECT_FALSE(dlg.timerRunning());
    EXPECT_FALSE(control<QPushButton>(&dlg, "ID_BTN_RUB")->isEnabled());
    EXPECT_FALSE(number->isEnabled());

    read->click();
    EXPECT_EQ(readData, 1);
    EXPECT_TRUE(read->isEnabled());

    rexit->click();
    EXPECT_EQ(status->text(), "");
    EXPECT_EQ(rexit->text(), "Exit");
    EXPECT_FALSE(read->isEnabled());
    EXPECT_TRUE(number->isEnabled());
    EXPECT_TRUE(dlg.timerRunning());
    EXPECT_EQ(Stato_OPM, 0);
    server->withDevice([](vx::sim::Device& d) {
        auto* modem = dynamic_cast<vx::sim::ModemDevice*>(&d);
        ASSERT_TRUE(modem);
        EXPECT_EQ(modem->state(), vx::sim::ModemDevice::State::Command);
        EXPECT_EQ(modem->dialled(), "5550100");
    });
    rexit->click();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_TRUE(shown(ui).empty());
}

}  // namespace
}  // namespace vx::test
