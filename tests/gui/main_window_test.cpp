// The main window against a simulated logger or board on a pseudo-terminal, driven by its
// controls; the core's questions are answered by the scripted backend.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "boards/alarms.h"
#include "boards/display_board.h"
#include "gui_helpers.h"
#include "link/com.h"
#include "session/session_state.h"
#include "shell/startup_state.h"
#include "shell/windows/main_window.h"
#include "state/exe_dir.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using vx::shell::MainWindow;
using vx::ui::Answer;
using vx::ui::Icon;

// The board's rows but their reset buttons, which show only while an SMS is pending.
const char* const kBoardRows[] = {"ID_STA_ALAINV",  "ID_TXT_ALAINV", "ID_STA_ALAETAG",
                                  "ID_TXT_ALAETAG", "ID_STA_ALAEFF", "ID_TXT_ALAEFF",
                                  "ID_STA_ALAUX",   "ID_TXT_ALAUX",  "ID_BTN_DETTAGLI"};

class MainWindowTest : public SimLoggerTest {
  protected:
    void TearDown() override {
        window.reset();
        SimLoggerTest::TearDown();
    }
    // Ends the earlier window and device, if any, and connects to a new simulated device.
    void reconnect(const std::string& settings) {
        window.reset();
        closePort(hCom);
        hCom = nullptr;
        if (server) server->stop();
        ASSERT_TRUE(connect(settings));
        buildProgramNames();
    }
    // Opens the window as the start-up does, with links that count their calls.
    void openWindow() {
        auto count = [](int& n) { return [&n](QWidget*) { ++n; }; };
        auto monitorLink = [this](QWidget* w) { monitorSawEnabled = w->isEnabled(), ++monitor; };
        window = std::make_unique<MainWindow>(
            vx::shell::MainWindowLinks{count(postProcessing), count(sampleTimer), monitorLink, count(details),
                                       count(gsm), count(boardConfig), count(displayBoard)});
        window->openSequence();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void open(const std::string& settings) {
        reconnect(settings);
        openWindow();
    }
    template <class W = QWidget>
    W* ctl(const char* name) {
        return control<W>(window.get(), name);
    }
    void click(const char* name) { QTest::mouseClick(ctl<QPushButton>(name), Qt::LeftButton); }
    std::string text(const char* name) { return ctl(name)->property("text").toString().toStdString(); }
    const std::string& report() { return ui.texts[static_cast<vx::ui::WindowHandle>(window->reportBox())]; }
    void typeSampleTime(const char* text) {
        auto* f = ctl<QLineEdit>("ID_EDT_SAMPLE");
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        QTest::keyClicks(f, QString::fromLatin1(text));
    }
    // The alarm rows (inverter, efficiency, burglar, auxiliaries), a letter each: the lamps
    // 'R' red, 'G' green, '-' the window's background; the reset buttons 'R' shown, '-' not.
    std::string lamps() {
        std::string s;
        for (const char* name : {"ID_STA_ALAINV", "ID_STA_ALAETAG", "ID_STA_ALAEFF", "ID_STA_ALAUX"}) {
            QColor c = ctl(name)->palette().color(QPalette::Window);
            s += c == QColor(255, 0, 0)                           ? "R"
                 : c == QColor(0, 255, 0)                         ? "G"
                 : c == window->palette().color(QPalette::Window) ? "-"
                                                                  : "(" + c.name().toStdString() + ")";
        }
        return s;
    }
    std::string resets() {
        std::string s;
        for (const char* name : {"ID_BTN_ALAINV", "ID_BTN_ALAETAG", "ID_BTN_ALAEFF", "ID_BTN_ALAUX"})
            s += ctl(name)->isVisible() ? 'R' : '-';
        return s;
    }

    std::unique_ptr<MainWindow> window;
    int postProcessing = 0, sampleTimer = 0, monitor = 0, details = 0, gsm = 0, boardConfig = 0,
        displayBoard = 0;
    bool monitorSawEnabled = true;
};

TEST_F(MainWindowTest, LoggerOpeningReportAndStatusBar) {
    open("qm41,nodes=3,pages=20");
    EXPECT_EQ(window->windowTitle().toStdString(), "Vendrix v.5.0.en");
    EXPECT_NE(report().find("Start session"), std::string::npos);
    EXPECT_EQ(ui.status[0], "Ready: 256000");
    EXPECT_EQ(Flag.verbose, 0);
    EXPECT_EQ(Flag.skip_refresh, 0);
    EXPECT_EQ(ctl("ID_EDT_SES")->palette().color(QPalette::Base), QColor(255, 255, 230));
    // What the window asks for, not what a machine's fonts happen to give.
    EXPECT_TRUE(ctl("ID_EDT_SES")->font().fixedPitch());
    EXPECT_EQ(ctl("ID_EDT_SES")->font().styleHint(), QFont::Monospace);
    window->resize(700, 500);
    QApplication::processEvents();
    EXPECT_LE(ctl("ID_TXTG_SESSIONE")->height() - ctl("ID_EDT_SES")->geometry().bottom(), 30)
        << "without the board rows the report reaches the bottom of its group";

    // The desktop backend writes into the two parts of the status bar, the first 150 pixels wide.
    vx::ui::qt::installQtBackend();
    vx::ui::backend().setStatus(window.get(), 0, "Ready: 256000");
    vx::ui::backend().setStatus(window.get(), 1, "the second part");
    vx::ui::setBackend(&ui);
    auto* bar = ctl<QStatusBar>("ID_MAIN_STATUSBAR");
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(control(bar, "part0"), nullptr);
    EXPECT_EQ(control<QLabel>(bar, "part0")->text().toStdString(), "Ready: 256000");
    EXPECT_EQ(control<QLabel>(bar, "part1")->text().toStdString(), "the second part");
    EXPECT_EQ(control(bar, "part0")->width(), 150);
    EXPECT_TRUE(bar->isSizeGripEnabled());
}

TEST_F(MainWindowTest, OpeningByDeviceReadingModeSampleTimeBoardRowsAndLamps) {
    const struct {
        const char* settings;
        int modem, fastRead;  // the page reading mode chosen again at the opening (from 1)
        const char* sample;   // a logger's default, the board's averaging time, or 900 unread
        const char* lamps;    // "": a logger, without the board rows
        bool alarmUnread;
    } cases[] = {
        // clang-format off
        {"qm41,fw=18,nodes=2,pages=3", 0, 0, "1800", "", false},
        {"qm41,fw=19,nodes=2,pages=3", 0, 1, "1800", "", false},
        {"qm41,fw=18,nodes=2,pages=3", 1, 1, "1800", "", false},
        {"qm42,fw=30,nodes=2,pages=3", 0, 0, "1800", "", false},
        {"vt71,fw=16,nodes=2,pages=3,tcm=1234,alarm=14", 0, 0, "1234", "RRGG", false},
        {"vt71,fw=17,nodes=2,pages=3,tcm=1234,tablepage=50,err=1,err-on=ATRD0007", 0, 1, "900", "GGGG", false},
        {"nod85,nodes=2,pages=3,tcm=60", 0, 1, "60", "GGGG", false},
        {"vt71,nodes=2,pages=3,alarm=14,err=1,err-on=ATSA$", 0, 1, "900", "----", true},
        // clang-format on
    };
    const Msg alarmQuestion{"Alarm register reading error !\r\nTry again ?", "Com Error", Icon::Error};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + (c.modem ? " over a modem" : ""));
        ui.messages.clear();
        if (c.alarmUnread) ui.answer(Answer::No);  // no further try
        reconnect(c.settings);
        Flag.fast_read = 1;
        Flag.modem = c.modem;
        openWindow();
        Flag.modem = 0;
        EXPECT_EQ(Flag.fast_read, c.fastRead);
        EXPECT_EQ(text("ID_EDT_SAMPLE"), c.sample);
        const bool board = *c.lamps != 0;
        for (const char* name : kBoardRows)
            EXPECT_EQ(ctl(name)->isHidden(), !board) << name;
        EXPECT_EQ(ctl("ID_BTN_SATMR")->isHidden(), board);
        EXPECT_EQ(resets(), "----");
        EXPECT_EQ(board ? lamps() : std::string(), c.lamps);
        EXPECT_EQ(Flag.alarm_error, c.alarmUnread ? 1 : 0);
        EXPECT_EQ(shown(ui), c.alarmUnread ? std::vector<Msg>{alarmQuestion} : std::vector<Msg>{});
    }
}

TEST_F(MainWindowTest, SampleTimeFieldTakesOneTo65535AndEachNoticeClearsSkipRefresh) {
    open("qm41,nodes=2,pages=4");
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const struct {
        const char* typed;
        bool valid;
        uint16_t tsample;  // afterwards: the last valid text typed on the way
    } cases[] = {{"0", false, 1800},     {"1", true, 1},    {"65535", true, 65535},
                 {"70000", false, 7000}, {"", false, 7000}, {"900", true, 900}};
    ctl("ID_BTN_CLOCK")->setFocus();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Flag.skip_refresh = 1;
        ctl("ID_EDT_SAMPLE")->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(Flag.skip_refresh, 0) << "focus in";
        Flag.skip_refresh = 1;
        typeSampleTime(c.typed);
        EXPECT_EQ(Flag.skip_refresh, 0) << "typing";
        EXPECT_EQ(ctl("ID_BTN_START")->isEnabled(), c.valid);
        EXPECT_EQ(Flag.sample_error, c.valid ? 0 : 1);
        EXPECT_EQ(ctl("ID_EDT_SAMPLE")->palette().color(QPalette::Base) == QColor(255, 0, 0), !c.valid);
        EXPECT_EQ(Tsample, c.tsample);
        Flag.skip_refresh = 1;
        ctl("ID_BTN_CLOCK")->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(Flag.skip_refresh, 0) << "focus out";
    }
}

TEST_F(MainWindowTest, StartDownloadsAsksBeforeDownloadingAgainAndReportsAStop) {
    open("qm41,nodes=3,pages=20");
    const size_t before = ui.statusHistory.size();
    click("ID_BTN_START");
    EXPECT_TRUE(exists(DataTimeSS));
    EXPECT_EQ(Flag.skip_refresh, 1);
    EXPECT_EQ(postProcessing, 1);
    ASSERT_GT(ui.statusHistory.size(), before);
    EXPECT_EQ(ui.statusHistory[before], "Busy...");
    EXPECT_EQ(ui.status[0], "Ready");
    EXPECT_EQ(ui.status[1].rfind(std::string(DataTimeSS) + ": ", 0), 0u) << ui.status[1];
    const int shows = ui.waitShows;
    const Msg again{"New data download from the datalogger ?", "Warning", Icon::Question};

    // Yes: downloaded again (the first download asked nothing).
    ui.answer(Answer::Yes);
    click("ID_BTN_START");
    EXPECT_EQ(shown(ui), std::vector<Msg>{again});
    EXPECT_EQ(ui.waitShows, shows + 1);
    EXPECT_EQ(postProcessing, 2);

    // No: the table already there, at the list position the user left.
    InfoSES.nItem_ = 7;
    InfoSES.nSubItem_ = 3;
    ui.answer(Answer::No);
    click("ID_BTN_START");
    EXPECT_EQ(shown(ui), (std::vector<Msg>{again, again}));
    EXPECT_EQ(ui.waitShows, shows + 1);
    EXPECT_EQ(InfoSES.nItem, 7u);
    EXPECT_EQ(InfoSES.nSubItem, 3u);
    EXPECT_EQ(postProcessing, 3);

    // A change of the sample time downloads again without asking; stopped, it says so.
    typeSampleTime("60");
    ui.messages.clear();
    ui.stopAtPoll(ui.polls + 2);
    ui.answer(Answer::Yes);  // abandon
    click("ID_BTN_START");
    EXPECT_EQ(ui.waitShows, shows + 2);
    EXPECT_EQ(shown(ui),
              (std::vector<Msg>{{"Abandon the current operation ?", "Warning", Icon::Warning},
                                {"Download procedure was not completed !", "Warning", Icon::Warning}}));
    EXPECT_EQ(ui.status[0], "Ready");
    EXPECT_EQ(ui.status[1], "") << "the earlier download's file may not pass for this one";
    EXPECT_EQ(postProcessing, 3);
    EXPECT_EQ(Flag.skip_refresh, 0);
}

TEST_F(MainWindowTest, KeepRawDataIsRememberedAndLeavesTheArchiveBesideTheFile) {
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", dir_.c_str());  // where the settings are kept
    open("qm41,nodes=3,pages=20");
    auto* keep = ctl<QCheckBox>("ID_CHK_KEEPRAW");
    EXPECT_FALSE(keep->isChecked());
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(4, keep->height() / 2));
    ASSERT_TRUE(keep->isChecked());
    click("ID_BTN_START");
    const std::string archive = std::string(DataTimeSS) + ".raw";
    EXPECT_TRUE(exists(DataTimeSS));
    for (const char* piece :
         {"manifest.txt", "pages.bin", "table.bin", "tmpbuf.bin", "registers.txt", "clocks.txt"})
        EXPECT_TRUE(exists(archive + "/" + piece)) << piece;

    // The next window finds the choice as it was left; unticked, no archive is kept.
    open("qm41,nodes=3,pages=20");
    keep = ctl<QCheckBox>("ID_CHK_KEEPRAW");
    EXPECT_TRUE(keep->isChecked());
    keep->setChecked(false);
    std::filesystem::remove_all(dir_ / archive);
    click("ID_BTN_START");
    EXPECT_FALSE(exists(archive));
    open("qm41,nodes=3,pages=20");
    EXPECT_FALSE(ctl<QCheckBox>("ID_CHK_KEEPRAW")->isChecked());
}

TEST_F(MainWindowTest, ClockSyncAndSampleTimerAskOrWarnAndLeaveTheLoggerAsTheyFoundIt) {
    const Msg ask{"Synchronize datalogger clock with PC clock ?", "Question", Icon::Question};
    const Msg failed{"Datalogger clock synchronization failed !", "Com Error", Icon::Error};
    const Msg ready{"Make sure the datalogger is in READY status\r\n (B LED lit yellow)", "Warning",
                    Icon::Warning};
    const Msg assignment{"Make sure the datalogger is in the initial state ASSIGNMENT\r\n (B LED lit green)",
                         "Warning", Icon::Warning};
    const Msg noStatus{"Unable to read the datalogger operating status", "Com Error", Icon::Error};
    const struct {
        const char* settings;
        const char* button;
        std::vector<Answer> answers;
        std::vector<Msg> messages;
        bool reportRewritten;
        int timers;  // sample timer windows opened
    } cases[] = {
        // clang-format off
        {"qm41,nodes=2,pages=3", "ID_BTN_CLOCK", {Answer::Yes}, {ask}, true, 0},
        {"qm41,nodes=2,pages=3", "ID_BTN_CLOCK", {Answer::No}, {ask}, false, 0},
        {"qm41,nodes=2,pages=3,err=1,err-on=ATDT2", "ID_BTN_CLOCK", {Answer::Yes}, {ask, failed}, false, 0},
        {"qm41,nodes=2,pages=3,status=10", "ID_BTN_SATMR", {}, {ready}, false, 1},
        {"qm41,nodes=2,pages=3,status=00", "ID_BTN_SATMR", {}, {assignment}, false, 1},
        {"qm41,nodes=2,pages=3,drop=1,drop-on=ATOS", "ID_BTN_SATMR", {}, {noStatus}, false, 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + " " + c.button);
        open(c.settings);
        ui.messages.clear();
        ui.texts.clear();
        sampleTimer = 0;
        for (Answer a : c.answers)
            ui.answer(a);
        click(c.button);
        EXPECT_EQ(shown(ui), c.messages);
        EXPECT_EQ(report().find("Datalogger Clock") != std::string::npos, c.reportRewritten);
        EXPECT_EQ(sampleTimer, c.timers);
        if (c.timers == 0) continue;
        EXPECT_EQ(Flag.stato_idle, 1);
        ASSERT_EQ(sendCOMMAND(hCom, "ATOS\r", 13), 1);
        EXPECT_EQ(std::string(rxText(), size_t(iRx)), "00") << "back in the idle state";
    }
}

TEST_F(MainWindowTest, AltVEnterEscapeMonitorExitAndCloseBox) {
    open("qm41,nodes=2,pages=3");
    // Alt+V toggles the detailed report whichever control has the focus.
    const std::string shortReport = report();
    EXPECT_EQ(text("ID_TXT_VERBOSE"), "");
    QTest::keyClick(ctl("ID_EDT_SES"), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(text("ID_TXT_VERBOSE"), "Verbose ON");
    EXPECT_EQ(Flag.verbose, 1);
    EXPECT_GT(report().size(), shortReport.size());
    QTest::keyClick(ctl("ID_EDT_SAMPLE"), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(text("ID_TXT_VERBOSE"), "Verbose OFF");
    EXPECT_EQ(report(), shortReport);
    EXPECT_EQ(text("ID_EDT_SAMPLE"), "1800") << "no letter typed into the field";
    QTest::keyClick(ctl("ID_EDT_SES"), Qt::Key_V, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Flag.verbose, 0) << "upper-case letters are not commands";

    // Enter and Escape do nothing; the monitor runs with the window disabled, then gives it back.
    QTest::keyClick(ctl("ID_BTN_START"), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(postProcessing, 0);
    click("ID_BTN_MONITOR");
    EXPECT_EQ(monitor, 1);
    EXPECT_FALSE(monitorSawEnabled);
    EXPECT_TRUE(window->isEnabled());

    // Exit and the close box end the window with 1.
    click("ID_BTN_EXIT");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 1);
    window->show();
    window->setResult(0);
    window->close();
    EXPECT_EQ(window->result(), 1);
}

// A simulated VT71 whose alarm register the test sets ("ATSAxx") as its alarms would.
class BoardWindowTest : public MainWindowTest {
  protected:
    void alarms(unsigned reg) {
        ASSERT_TRUE(vx::link::requestOk(vx::ui::format("ATSA%02X\r", reg).c_str()));
        ASSERT_EQ(upd_Alarm(window.get()), 1);
    }
};

TEST_F(BoardWindowTest, LampsResetButtonsAndTextsFollowTheRegisterAndEachResetClearsItsSmsBit) {
    const struct {
        unsigned reg;
        const char *lamps, *resets, *inverter;
        const char* reset;  // the reset button clicked then, if any
        const char* after;  // the board's register after it
    } cases[] = {
        // clang-format off
        {0x00, "GGGG", "----", "Single inverter alarm", nullptr, nullptr},
        {0x01, "GGRG", "----", "Single inverter alarm", nullptr, nullptr},
        {0xAA, "GGGG", "RRRR", "Single inverter alarm", nullptr, nullptr},
        {0x3C, "RRGG", "RR--", "Single inverter alarm = 2 (Rmin=85%)", nullptr, nullptr},
        {0x0C, "GRGG", "-R--", "Single inverter alarm", "ID_BTN_ALAETAG", "04"},
        {0x30, "RGGG", "R---", "Single inverter alarm = 2 (Rmin=85%)", "ID_BTN_ALAINV", "10"},
        {0xFF, "RRRR", "RRRR", "Single inverter alarm = 2 (Rmin=85%)", "ID_BTN_ALAEFF", "FD"},
        {0xC0, "GGGR", "---R", "Single inverter alarm", "ID_BTN_ALAUX", "40"},
        // clang-format on
    };
    open("vt71,nodes=2,pages=3");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reg);
        alarms(c.reg);
        EXPECT_EQ(lamps(), c.lamps);
        EXPECT_EQ(resets(), c.resets);
        EXPECT_EQ(text("ID_TXT_ALAINV"), c.inverter);
        EXPECT_EQ(text("ID_TXT_ALAUX"), "Auxiliaries alarm");
        if (!c.reset) continue;
        click(c.reset);
        EXPECT_FALSE(ctl(c.reset)->isVisible())
            << "the register read back: the SMS is over, so is its button";
        EXPECT_TRUE(ctl(c.reset)->isEnabled());
        ASSERT_EQ(sendCOMMAND(hCom, "ATSA\r", 13), 1);
        EXPECT_EQ(std::string(rxText(), 2), c.after);
    }
}

TEST_F(BoardWindowTest, DetailsSaysWhenTheBoardIsSilentElseReadsTheInverterWordAndOpens) {
    // A dropped reply is asked for again; a board that never answers is reported.
    open("vt71,nodes=2,pages=3,drop-nth=1,drop-on=ATRD0013");
    click("ID_BTN_DETTAGLI");
    EXPECT_EQ(details, 1);
    open("vt71,nodes=2,pages=3,drop=1,drop-on=ATRD0013");
    click("ID_BTN_DETTAGLI");
    EXPECT_EQ(shown(ui), (std::vector<Msg>{{"No response from datalogger !", "COM Error", Icon::Error}}));
    EXPECT_EQ(details, 1);
    open("vt71,nodes=2,pages=3");
    click("ID_BTN_DETTAGLI");
    EXPECT_EQ(window->detailsComReg2(), 0x0102) << "ComReg2, bytes 19 and 20 of the board's set-up";
    EXPECT_EQ(details, 2);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(MainWindowTest, AltZOpensTheBoardsWindowAfterTheDisplayDetectionAndAltGOnlyInTheDetailedReport) {
    struct Case {
        std::string device;
        int boardConfig, displayBoard, slaveBoard;
    };
    // The loggers first: the identification sets a device's flags but clears none.
    for (const Case& c : std::vector<Case>{{"qm41,nodes=2,pages=3", 0, 0, -1},
                                           {"qm42,nodes=2,pages=3", 0, 1, -1},
                                           {"vt71,nodes=2,pages=3,displays=2,display-family=vt73h", 1, 0, 2},
                                           {"nod85,nodes=2,pages=3", 1, 0, 0}}) {
        SCOPED_TRACE(c.device);
        boardConfig = displayBoard = gsm = 0;
        open(c.device);
        Slave_board = -1;  // the detection leaves 0..3
        CodeD = 0;
        EXPECT_TRUE(window->serviceKey('z'));
        EXPECT_EQ(boardConfig, c.boardConfig);
        EXPECT_EQ(displayBoard, c.displayBoard);
        EXPECT_EQ(Slave_board, c.slaveBoard);
        EXPECT_EQ(CodeD, c.displayBoard ? 2 : 0);
        window->serviceKey('g');
        EXPECT_EQ(gsm, 0) << "the GSM field needs the detailed report";
        window->serviceKey('v');
        window->serviceKey('g');
        EXPECT_EQ(gsm, 1);
    }
}

TEST_F(MainWindowTest, ServiceKeysOfTheDetailedReportWaitForIt) {
    open("qm41,nodes=2,pages=3");
    ui.messages.clear();
    for (char key : {'f', 'a', 'w', 'p', 'c', 'o'})
        EXPECT_TRUE(window->serviceKey(key)) << key;
    EXPECT_TRUE(ui.messages.empty()) << "nothing asked in the short report, nor on a logger";
    window->serviceKey('i');
    EXPECT_EQ(ui.status[1], "Ingresso in stato IDLE");
    window->serviceKey('u');
    EXPECT_EQ(ui.status[1], "Uscita dallo stato IDLE");
    window->serviceKey('v');
    ui.answer(Answer::No);
    window->serviceKey('a');
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "View and/or modify the network address of the datalogger ?");
}

}  // namespace
}  // namespace vx::test
