// The energy-monitoring board's part of the main window: sample time from the board,
// alarm lamps and texts, the reset buttons and the details read. A scripted device on a
// pseudo-terminal shows exactly what the window sent.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <mutex>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "gui_helpers.h"
#include "link/com.h"
#include "state/flags.h"
#include "shell/windows/main_window.h"
#include "support/pty_peer.h"
#include "support/sim_logger.h"

namespace vx::test {
namespace {

using vx::shell::MainWindow;
using vx::ui::Answer;

// A board that keeps an alarm register and a two-byte EEPROM window at 0x13.
class BoardPeer {
  public:
    explicit BoardPeer(uint8_t reg) : reg_(reg), peer_([this](const std::string& c) { return answer(c); }) {}
    const std::string& path() const { return peer_.path(); }
    std::vector<std::string> commands() { return peer_.commands(); }
    bool silent = false;

  private:
    std::string answer(const std::string& c) {
        std::lock_guard<std::mutex> lock(mu_);
        if (silent) return "";
        char buf[16];
        if (c == "ATSA\r") {
            std::snprintf(buf, sizeof buf, "%02X%02X%02X00\r", reg_, reg_ & 0x10 ? 2 : 0,
                          reg_ & 0x10 ? 85 : 0);
            return buf;
        }
        if (c.rfind("ATSA", 0) == 0 && c.size() == 7) {
            reg_ = uint8_t(std::stoi(c.substr(4, 2), nullptr, 16));
            return "OK\r";
        }
        if (c == "ATRD0013\r") return ee_ = 0x13, "OK\r";
        if (c == "ATEE\r") {
            std::snprintf(buf, sizeof buf, "%02X\r", ee_ == 0x13 ? 0x02 : ee_ == 0x14 ? 0x05 : 0xFF);
            ++ee_;
            return buf;
        }
        return "ERR\r";
    }
    std::mutex mu_;
    uint8_t reg_;
    int ee_ = 0;
    PtyPeer peer_;
};

class BoardWindowTest : public ProgramTest {
  protected:
    void attach(uint8_t reg) {
        board = std::make_unique<BoardPeer>(reg);
        hCom = openPort(board->path().c_str());
        ASSERT_NE(hCom, nullptr);
        initCOM(hCom);
        Timeout_rx = 300;
        Flag.VT71 = 1;
        window = std::make_unique<MainWindow>(
            vx::shell::MainWindowLinks{{}, {}, {}, [this](QWidget*) { ++details; }});
        window->show();
    }
    void TearDown() override {
        window.reset();
        closePort(hCom);
        hCom = nullptr;
        board.reset();
        ProgramTest::TearDown();
    }
    template <class W = QWidget>
    W* ctl(const char* name) {
        return control<W>(window.get(), name);
    }
    std::string lamp(const char* name) { return lampColour(ctl(name), window.get()); }

    std::unique_ptr<BoardPeer> board;
    std::unique_ptr<MainWindow> window;
    int details = 0;
};

TEST_F(BoardWindowTest, LampsButtonsAndTextsFollowTheRegister) {
    struct Case {
        uint8_t reg;
        const char *inv, *etag, *eff, *aux;  // lamps
        bool rInv, rEtag, rEff, rAux;        // reset buttons shown
        const char* invText;
    };
    const Case cases[] = {
        {0x00, "green", "green", "green", "green", false, false, false, false, "Single inverter alarm"},
        {0x01, "green", "green", "red", "green", false, false, false, false, "Single inverter alarm"},
        {0x04, "green", "red", "green", "green", false, false, false, false, "Single inverter alarm"},
        {0x10, "red", "green", "green", "green", false, false, false, false,
         "Single inverter alarm = 2 (Rmin=85%)"},
        {0x40, "green", "green", "green", "red", false, false, false, false, "Single inverter alarm"},
        {0xAA, "green", "green", "green", "green", true, true, true, true, "Single inverter alarm"},
        {0x3C, "red", "red", "green", "green", true, true, false, false,
         "Single inverter alarm = 2 (Rmin=85%)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reg);
        attach(c.reg);
        ASSERT_EQ(upd_Alarm(window.get()), 1);
        EXPECT_EQ(lamp("ID_STA_ALAINV"), c.inv);
        EXPECT_EQ(lamp("ID_STA_ALAETAG"), c.etag);
        EXPECT_EQ(lamp("ID_STA_ALAEFF"), c.eff);
        EXPECT_EQ(lamp("ID_STA_ALAUX"), c.aux);
        EXPECT_EQ(ctl("ID_BTN_ALAINV")->isVisible(), c.rInv);
        EXPECT_EQ(ctl("ID_BTN_ALAETAG")->isVisible(), c.rEtag);
        EXPECT_EQ(ctl("ID_BTN_ALAEFF")->isVisible(), c.rEff);
        EXPECT_EQ(ctl("ID_BTN_ALAUX")->isVisible(), c.rAux);
        EXPECT_EQ(ctl<QLabel>("ID_TXT_ALAINV")->text().toStdString(), c.invText);
        EXPECT_EQ(ctl<QLabel>("ID_TXT_ALAUX")->text().toStdString(), "Auxiliaries alarm");
        window.reset();
        closePort(hCom);
        hCom = nullptr;
    }
}

TEST_F(BoardWindowTest, EachResetClearsItsSmsBitAndReadsTheRegisterBack) {
    struct Case {
        const char* button;
        uint8_t reg;
        const char* sent;
    };
    const Case cases[] = {{"ID_BTN_ALAETAG", 0x0C, "ATSA04\r"},
                          {"ID_BTN_ALAINV", 0x30, "ATSA10\r"},
                          {"ID_BTN_ALAEFF", 0xFF, "ATSAFD\r"},
                          {"ID_BTN_ALAUX", 0xC0, "ATSA40\r"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        attach(c.reg);
        ASSERT_EQ(upd_Alarm(window.get()), 1);
        auto* r = ctl<QPushButton>(c.button);
        ASSERT_TRUE(r->isVisible());
        QTest::mouseClick(r, Qt::LeftButton);
        std::vector<std::string> cmds = board->commands();
        ASSERT_GE(cmds.size(), 3u);
        EXPECT_EQ(cmds[cmds.size() - 2], c.sent);
        EXPECT_EQ(cmds.back(), "ATSA\r");
        EXPECT_FALSE(r->isVisible()) << "the SMS is over, so is its button";
        EXPECT_TRUE(r->isEnabled());
        window.reset();
        closePort(hCom);
        hCom = nullptr;
    }
}

TEST_F(BoardWindowTest, DetailsReadsTheInverterWordThenOpensTheDetails) {
    attach(0x00);
    QTest::mouseClick(ctl<QPushButton>("ID_BTN_DETTAGLI"), Qt::LeftButton);
    EXPECT_EQ(board->commands(), (std::vector<std::string>{"ATRD0013\r", "ATEE\r", "ATEE\r"}));
    EXPECT_EQ(window->detailsComReg2(), 0x0502);
    EXPECT_EQ(details, 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BoardWindowTest, DetailsWithoutAnswer) {
    attach(0x00);
    board->silent = true;
    QTest::mouseClick(ctl<QPushButton>("ID_BTN_DETTAGLI"), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "No response from datalogger !");
    EXPECT_EQ(ui.messages[0].caption, "COM Error");
    EXPECT_EQ(details, 0);
}

// The whole opening against the simulated board.
class BoardOpeningTest : public SimLoggerTest {};

TEST_F(BoardOpeningTest, SampleTimeFromTheBoardOrItsDefault) {
    struct Case {
        const char* settings;
        const char* shown;
    };
    const Case cases[] = {{"vt71,nodes=2,pages=3,tcm=1234", "1234"},
                          {"nod85,nodes=2,pages=3,tcm=60", "60"},
                          {"vt71,nodes=2,pages=3,tcm=1234,tablepage=50,err=1,err-on=ATRD0007", "900"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        ASSERT_TRUE(connect(c.settings));
        {
            MainWindow w;
            w.openSequence();
            EXPECT_EQ(control<QLineEdit>(&w, "ID_EDT_SAMPLE")->text().toStdString(), c.shown);
            EXPECT_TRUE(control<QWidget>(&w, "ID_BTN_SATMR")->isHidden());
            EXPECT_FALSE(control<QWidget>(&w, "ID_STA_ALAINV")->isHidden());
            EXPECT_FALSE(control<QWidget>(&w, "ID_BTN_DETTAGLI")->isHidden());
        }
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
}

TEST_F(BoardOpeningTest, UnreadableAlarmRegisterLeavesTheLampsUncoloured) {
    ASSERT_TRUE(connect("vt71,nodes=2,pages=3,alarm=14,err=1,err-on=ATSA$"));
    ui.answer(Answer::No);  // "Alarm register reading error !" - no further try
    MainWindow w;
    w.openSequence();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Alarm register reading error !\r\nTry again ?");
    EXPECT_EQ(Flag.alarm_error, 1);
    for (const char* lamp : {"ID_STA_ALAINV", "ID_STA_ALAETAG", "ID_STA_ALAEFF", "ID_STA_ALAUX"})
        EXPECT_EQ(lampColour(control<QWidget>(&w, lamp), &w), "none") << lamp;
}

TEST_F(BoardOpeningTest, ReadableAlarmRegisterColoursTheLamps) {
    ASSERT_TRUE(connect("vt71,nodes=2,pages=3,alarm=14"));
    MainWindow w;
    w.openSequence();
    EXPECT_EQ(Flag.alarm_error, 0);
    EXPECT_EQ(lampColour(control<QWidget>(&w, "ID_STA_ALAINV"), &w), "red");
    EXPECT_EQ(lampColour(control<QWidget>(&w, "ID_STA_ALAETAG"), &w), "red");
    EXPECT_EQ(lampColour(control<QWidget>(&w, "ID_STA_ALAEFF"), &w), "green");
}

}  // namespace
}  // namespace vx::test
