// The main window against a simulated logger on a pseudo-terminal, driven by its controls;
// the core's questions are answered by the scripted backend.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui_helpers.h"
#include "link/com.h"
#include "session/session_state.h"
#include "shell/startup_state.h"
#include "shell/windows/main_window.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace vx::test {
namespace {

using vx::shell::MainWindow;
using vx::ui::Answer;
using vx::ui::Icon;

class MainWindowTest : public SimLoggerTest {
  protected:
    // Connects to the simulated device and opens the window as the start-up does.
    void open(const std::string& settings) {
        ASSERT_TRUE(connect(settings));
        buildProgramNames();
        window = std::make_unique<MainWindow>(vx::shell::MainWindowLinks{
            [this](QWidget*) { ++postProcessing; }, [this](QWidget*) { ++sampleTimer; },
            [this](QWidget* w) {
                monitorSawEnabled = w->isEnabled();
                ++monitor;
            },
            [this](QWidget*) { ++details; }});
        window->openSequence();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void TearDown() override {
        window.reset();
        SimLoggerTest::TearDown();
    }
    template <class W = QWidget>
    W* ctl(const char* name) {
        return control<W>(window.get(), name);
    }
    void click(const char* name) { QTest::mouseClick(ctl<QPushButton>(name), Qt::LeftButton); }
    void typeSampleTime(const char* text) {
        auto* f = ctl<QLineEdit>("ID_EDT_SAMPLE");
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        QTest::keyClicks(f, QString::fromLatin1(text));
    }
    const std::string& report() { return ui.texts[static_cast<vx::ui::WindowHandle>(window->reportBox())]; }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> t;
        for (const auto& m : ui.messages)
            t.push_back(m.text);
        return t;
    }

    std::unique_ptr<MainWindow> window;
    int postProcessing = 0, sampleTimer = 0, monitor = 0, details = 0;
    bool monitorSawEnabled = true;
};

TEST_F(MainWindowTest, OpeningWritesTheReportAndShowsTheSampleTime) {
    open("qm41,nodes=3,pages=20");
    EXPECT_EQ(window->windowTitle().toStdString(), "Vendrix v.5.0.en");
    EXPECT_NE(report().find("Start session"), std::string::npos);
    EXPECT_EQ(ctl<QLineEdit>("ID_EDT_SAMPLE")->text().toStdString(), "1800");
    EXPECT_EQ(ui.status[0], "Ready: 256000");
    EXPECT_EQ(Flag.verbose, 0);
    EXPECT_EQ(Flag.skip_refresh, 0);
    EXPECT_EQ(ctl<QPlainTextEdit>("ID_EDT_SES")->palette().color(QPalette::Base), QColor(255, 255, 230));
    // What the window asks for, not what a machine's fonts happen to give.
    QFont f = ctl<QPlainTextEdit>("ID_EDT_SES")->font();
    EXPECT_TRUE(f.fixedPitch());
    EXPECT_EQ(f.styleHint(), QFont::Monospace);
}

struct SampleCase {
    const char* typed;
    bool valid;
    uint16_t tsample;  // Tsample afterwards: the last valid text typed on the way
};

TEST_F(MainWindowTest, SampleTimeFieldAcceptsOneTo65535) {
    open("qm41,nodes=2,pages=4");
    const SampleCase cases[] = {{"0", false, 1800},     {"1", true, 1},    {"65535", true, 65535},
                                {"70000", false, 7000}, {"", false, 7000}, {"900", true, 900}};
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(c.typed);
        Flag.skip_refresh = 1;
        typeSampleTime(c.typed);
        auto* field = ctl<QLineEdit>("ID_EDT_SAMPLE");
        EXPECT_EQ(ctl<QPushButton>("ID_BTN_START")->isEnabled(), c.valid);
        EXPECT_EQ(Flag.sample_error, c.valid ? 0 : 1);
        EXPECT_EQ(field->palette().color(QPalette::Base) == QColor(255, 0, 0), !c.valid);
        EXPECT_EQ(Tsample, c.tsample);
        EXPECT_EQ(Flag.skip_refresh, 0);
    }
}

TEST_F(MainWindowTest, FocusInAndOutOfTheSampleFieldClearsSkipRefresh) {
    open("qm41,nodes=2,pages=4");
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ctl("ID_BTN_START")->setFocus();
    Flag.skip_refresh = 1;
    ctl("ID_EDT_SAMPLE")->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(Flag.skip_refresh, 0);
    Flag.skip_refresh = 1;
    ctl("ID_BTN_CLOCK")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Flag.skip_refresh, 0);
    EXPECT_EQ(ctl<QLineEdit>("ID_EDT_SAMPLE")->text().toStdString(), "1800");
}

TEST_F(MainWindowTest, StartDownloadsThenAsksBeforeDownloadingAgain) {
    open("qm41,nodes=3,pages=20");
    click("ID_BTN_START");
    EXPECT_TRUE(exists(DataTimeSS));
    EXPECT_EQ(Flag.skip_refresh, 1);
    EXPECT_EQ(postProcessing, 1);
    EXPECT_EQ(ui.statusHistory[ui.statusHistory.size() - 3], "Busy...");
    EXPECT_EQ(ui.status[0], "Ready");
    EXPECT_EQ(ui.status[1].rfind(std::string(DataTimeSS) + ": ", 0), 0u) << ui.status[1];
    EXPECT_TRUE(ui.messages.empty());
    int shows = ui.waitShows;

    // Yes: downloaded again.
    ui.answer(Answer::Yes);
    click("ID_BTN_START");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "New data download from the datalogger ?");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(ui.messages[0].icon, Icon::Question);
    EXPECT_EQ(ui.waitShows, shows + 1);
    EXPECT_EQ(postProcessing, 2);

    // No: the table already there, at the list position the user left.
    InfoSES.nItem_ = 7;
    InfoSES.nSubItem_ = 3;
    ui.answer(Answer::No);
    click("ID_BTN_START");
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.waitShows, shows + 1);
    EXPECT_EQ(InfoSES.nItem, 7u);
    EXPECT_EQ(InfoSES.nSubItem, 3u);
    EXPECT_EQ(postProcessing, 3);
    EXPECT_EQ(ui.status[0], "Ready");

    // A change of the sample time downloads again without asking.
    typeSampleTime("60");
    click("ID_BTN_START");
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.waitShows, shows + 2);
}

TEST_F(MainWindowTest, StoppedDownloadIsReportedAndNothingOpens) {
    open("qm41,nodes=3,pages=20");
    ui.stopAtPoll(ui.polls + 2);
    ui.answer(Answer::Yes);  // abandon
    click("ID_BTN_START");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Download procedure was not completed !");
    EXPECT_EQ(ui.messages[1].caption, "Warning");
    EXPECT_EQ(ui.messages[1].icon, Icon::Warning);
    EXPECT_EQ(ui.status[0], "Ready");
    EXPECT_EQ(postProcessing, 0);
    EXPECT_EQ(Flag.skip_refresh, 0);
}

TEST_F(MainWindowTest, ClockSync) {
    struct Case {
        const char* settings;
        Answer answer;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"qm41,nodes=2,pages=3", Answer::Yes, {"Synchronize datalogger clock with PC clock ?"}},
        {"qm41,nodes=2,pages=3", Answer::No, {"Synchronize datalogger clock with PC clock ?"}},
        {"qm41,nodes=2,pages=3,err=1,err-on=ATDT2",
         Answer::Yes,
         {"Synchronize datalogger clock with PC clock ?", "Datalogger clock synchronization failed !"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        open(c.settings);
        ui.messages.clear();
        std::string before = report();
        ui.texts.clear();
        ui.answer(c.answer);
        click("ID_BTN_CLOCK");
        EXPECT_EQ(messageTexts(), c.messages);
        EXPECT_EQ(ui.messages[0].caption, "Question");
        if (c.messages.size() == 2) {
            EXPECT_EQ(ui.messages[1].caption, "Com Error");
            EXPECT_EQ(ui.messages[1].icon, Icon::Error);
        }
        bool synced = c.answer == Answer::Yes && c.messages.size() == 1;
        EXPECT_EQ(report().empty(), !synced) << "the report is rewritten after a sync";
        if (synced) {
            EXPECT_NE(report().find("Datalogger Clock"), std::string::npos);
        }
        window.reset();
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
}

TEST_F(MainWindowTest, LoggerHidesTheBoardRowsAndGivesTheReportTheRoom) {
    open("qm41,nodes=2,pages=3");
    for (const char* name :
         {"ID_BTN_ALAINV", "ID_STA_ALAINV", "ID_TXT_ALAINV", "ID_BTN_ALAETAG", "ID_STA_ALAETAG",
          "ID_TXT_ALAETAG", "ID_BTN_ALAEFF", "ID_STA_ALAEFF", "ID_TXT_ALAEFF", "ID_BTN_ALAUX", "ID_STA_ALAUX",
          "ID_TXT_ALAUX", "ID_BTN_DETTAGLI"})
        EXPECT_TRUE(ctl(name)->isHidden()) << name;
    EXPECT_FALSE(ctl("ID_BTN_SATMR")->isHidden());
    window->resize(700, 500);
    QApplication::processEvents();
    QWidget* group = ctl("ID_TXTG_SESSIONE");
    QRect box = ctl("ID_EDT_SES")->geometry();
    EXPECT_LE(group->height() - box.bottom(), 30) << "the report reaches the bottom of its group";
}

TEST_F(MainWindowTest, PageReadingModeFollowsFirmwareAndLink) {
    struct Case {
        const char* settings;
        int modem;
        int fastRead;
    };
    const Case cases[] = {
        {"qm41,fw=18,nodes=2,pages=3", 0, 0}, {"qm41,fw=19,nodes=2,pages=3", 0, 1},
        {"qm41,fw=18,nodes=2,pages=3", 1, 1}, {"qm42,fw=30,nodes=2,pages=3", 0, 0},
        {"vt71,fw=16,nodes=2,pages=3", 0, 0}, {"vt71,fw=17,nodes=2,pages=3", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + (c.modem ? " over a modem" : " direct"));
        ASSERT_TRUE(connect(c.settings));
        Flag.fast_read = 1;
        Flag.modem = c.modem;
        {
            MainWindow w;
            w.openSequence();
        }
        EXPECT_EQ(Flag.fast_read, c.fastRead);
        Flag.modem = 0;
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
}

TEST_F(MainWindowTest, AltVTogglesTheDetailedReport) {
    open("qm41,nodes=2,pages=3");
    std::string shortReport = report();
    auto* verbose = ctl<QLabel>("ID_TXT_VERBOSE");
    EXPECT_TRUE(verbose->text().isEmpty());
    QTest::keyClick(ctl("ID_EDT_SES"), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(verbose->text().toStdString(), "Verbose ON");
    EXPECT_EQ(Flag.verbose, 1);
    EXPECT_GT(report().size(), shortReport.size());
    QTest::keyClick(ctl("ID_EDT_SAMPLE"), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(verbose->text().toStdString(), "Verbose OFF");
    EXPECT_EQ(report(), shortReport);
    EXPECT_EQ(ctl<QLineEdit>("ID_EDT_SAMPLE")->text().toStdString(), "1800")
        << "no letter typed into the field";
    QTest::keyClick(ctl("ID_EDT_SES"), Qt::Key_V, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Flag.verbose, 0) << "upper-case letters are not commands";
}

TEST_F(MainWindowTest, EnterAndEscapeDoNothingExitAndCloseEndWithOne) {
    open("qm41,nodes=2,pages=3");
    QTest::keyClick(ctl("ID_BTN_START"), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(postProcessing, 0);
    click("ID_BTN_EXIT");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 1);
    window->show();
    window->setResult(0);
    window->close();
    EXPECT_EQ(window->result(), 1);
}

TEST_F(MainWindowTest, MonitorRunsWithTheWindowDisabledAndGivesItBack) {
    open("qm41,nodes=2,pages=3");
    click("ID_BTN_MONITOR");
    EXPECT_EQ(monitor, 1);
    EXPECT_FALSE(monitorSawEnabled);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWindowTest, ControlsOfWindowsStillToComeSayItAndSendNothing) {
    ASSERT_TRUE(connect("qm41,nodes=2,pages=3"));
    buildProgramNames();
    window = std::make_unique<MainWindow>();  // the program's own links
    window->openSequence();
    window->show();
    const uint64_t sent = server->bytesIn();
    click("ID_BTN_MONITOR");
    click("ID_BTN_SATMR");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{
                                  "The real-time monitor is not available yet in this version.",
                                  "The sample timer window is not available yet in this version.",
                              }));
    EXPECT_EQ(ui.messages[0].caption, "Info");
    EXPECT_EQ(server->bytesIn(), sent) << "nothing may switch the logger into another mode";
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWindowTest, SampleTimerWarnsByTheStatusRegisterAndRestoresIdle) {
    struct Case {
        const char* settings;
        const char* warning;
    };
    const Case cases[] = {
        {"qm41,nodes=2,pages=3,status=10",
         "Make sure the datalogger is in READY status\r\n (B LED lit yellow)"},
        {"qm41,nodes=2,pages=3,status=00",
         "Make sure the datalogger is in the initial state ASSIGNMENT\r\n (B LED lit green)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        open(c.settings);
        click("ID_BTN_SATMR");
        EXPECT_EQ(messageTexts(), std::vector<std::string>{c.warning});
        EXPECT_EQ(sampleTimer, 1);
        EXPECT_EQ(Flag.stato_idle, 1);
        ASSERT_EQ(sendCOMMAND(hCom, "ATOS\r", 13), 1);
        EXPECT_EQ(std::string(rxText(), size_t(iRx)), "00") << "back in the idle state";
        window.reset();
        closePort(hCom);
        hCom = nullptr;
        server->stop();
        ui.messages.clear();
        sampleTimer = 0;
    }
}

TEST_F(MainWindowTest, SampleTimerWithoutOperatingStatus) {
    open("qm41,nodes=2,pages=3,drop=1,drop-on=ATOS");
    click("ID_BTN_SATMR");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unable to read the datalogger operating status");
    EXPECT_EQ(ui.messages[0].caption, "Com Error");
    EXPECT_EQ(sampleTimer, 0);
}

}  // namespace
}  // namespace vx::test
