// The board's small windows against a simulated VT71 board: the display board window and
// its clock tuning, the inverter details and the GSM field.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "boards/alarms.h"
#include "boards/board_image.h"
#include "boards/windows/display_board_dialog.h"
#include "boards/windows/gsm_field_dialog.h"
#include "boards/windows/inverter_details_dialog.h"
#include "boards/windows/tuning_dialog.h"
#include "gui_helpers.h"
#include "link/com.h"
#include "sim/logger_device.h"

namespace vx::test {
namespace {

using vx::boards::DisplayBoardDialog;
using vx::boards::GsmFieldDialog;
using vx::boards::InverterDetailsDialog;
using vx::boards::TuningDialog;
using vx::ui::Answer;
using vx::ui::Icon;

const std::string kBoard = "vt71,nodes=2,pages=3";

class BoardSmallDialogsTest : public SimLoggerTest {
  protected:
    // The board with its display boards (a new one each time), the family detected as the
    // main window does.
    void open(const std::string& settings, int code = 0) {
        if (server) {
            closePort(hCom);
            hCom = nullptr;
            server->stop();
        }
        ASSERT_TRUE(connect(kBoard + "," + settings));
        ASSERT_EQ(detect_Slave_board(), 1);
        CodeD = code;
    }
    const vx::sim::DisplayBoards& displays() {
        const vx::sim::DisplayBoards* d = nullptr;
        server->withDevice([&](vx::sim::Device& dev) { d = &vx::sim::findLogger(dev)->displays(); });
        return *d;
    }
    static void click(QWidget* w, const char* name) { control<QAbstractButton>(w, name)->click(); }
    static bool enabled(QWidget* w, const char* name) { return control<QWidget>(w, name)->isEnabled(); }
};

struct NotFoundCase {
    const char* name;
    const char* settings;
    int code;
};
class DisplayNotFoundTest : public BoardSmallDialogsTest,
                            public ::testing::WithParamInterface<NotFoundCase> {};

TEST_P(DisplayNotFoundTest, TellsTheUserAndDoesNotOpen) {
    ASSERT_TRUE(connect(kBoard + "," + GetParam().settings));
    CodeD = GetParam().code;
    vx::boards::DlgVT71hcfg(nullptr);  // returns without a modal loop
    EXPECT_EQ(shown(ui), (std::vector<Msg>{{"I2C Slave Board not found !", "COM Error", Icon::Error}}));
}
INSTANTIATE_TEST_SUITE_P(Boards, DisplayNotFoundTest,
                         ::testing::Values(NotFoundCase{"NoDisplays", "displays=0", 0},
                                           NotFoundCase{"NoBoardAtTheCode", "displays=2", 5},
                                           NotFoundCase{"VersionZero", "displays=2,display-fw=0", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardSmallDialogsTest, DisplayWindowLaysItselfOutForTheFamilyAndDisplay) {
    struct Case {
        const char* settings;
        int code;
        const char* title;
        bool digits, baud, vt75;
        const char* label1503;
    };
    const Case cases[] = {
        {"displays=3,display-family=vt71h", 2, "I2C Slave Card - Display 2 (rev.1.3)", true, true, false,
         "Digit number"},
        {"displays=2,display-family=vt75h,display-fw=21", 0, "I2C Slave Card - Display 0 (rev.2.1)", false,
         false, true, "Number color"},
        {"displays=2,display-family=vt75h", 1, "I2C Slave Card - Display 1 (rev.1.3)", false, true, true,
         "Number color"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        open(c.settings, c.code);
        DisplayBoardDialog dlg(nullptr);
        ASSERT_TRUE(dlg.load());
        EXPECT_EQ(dlg.windowTitle().toStdString(), c.title);
        EXPECT_EQ(control<QLabel>(&dlg, "1503")->text().toStdString(), c.label1503);
        EXPECT_EQ(!control<QWidget>(&dlg, "ID_EDT_VT71H_NDIGIT")->isHidden(), c.digits);
        EXPECT_EQ(!control<QWidget>(&dlg, "ID_CMB_VT71H_BRATE")->isHidden(), c.baud);
        for (const char* name :
             {"ID_EDT_VT71H_SCAN", "ID_CHK_VT71H_SCAN", "ID_CMB_VT71H_MODE", "ID_CMB_VT71H_COLDID",
              "ID_CMB_VT71H_COLGRA", "ID_CHK_VT71H_NIGHTOFF", "1523", "1526"})
            EXPECT_EQ(!control<QWidget>(&dlg, name)->isHidden(), c.vt75) << name;
        // The board's defaults, Write and Save off until something changes.
        EXPECT_EQ(control<QLineEdit>(&dlg, "ID_EDT_VT71H_DLUX")->text(), QStringLiteral("128"));
        EXPECT_FALSE(enabled(&dlg, "ID_BTN_VT71H_WRITE"));
        EXPECT_FALSE(enabled(&dlg, "ID_BTN_VT71H_SAVE"));
        EXPECT_TRUE(shown(ui).empty());
    }
}

TEST_F(BoardSmallDialogsTest, DisplayEditsFollowTheRangesAndWriteAndSaveReachTheBoard) {
    open("displays=2,display-family=vt75h", 1);
    DisplayBoardDialog dlg(nullptr);
    ASSERT_TRUE(dlg.load());
    dlg.show();
    auto* dlux = control<QLineEdit>(&dlg, "ID_EDT_VT71H_DLUX");
    struct Case {
        const char* edit;
        const char* typed;
        const char* shown;
        bool ok;
    };
    const Case cases[] = {
        {"ID_EDT_VT71H_DPOINT", "2", "2", true},
        {"ID_EDT_VT71H_DPOINT", "31", "3", true},  // one character: the rest cut
        {"ID_EDT_VT71H_SCAN", "25.6", "25.6", false},
        {"ID_EDT_VT71H_SCAN", "2.5", "2.5", true},
        {"ID_EDT_VT71H_DLUX", "256", "256", false},
        {"ID_EDT_VT71H_DLUX", "200", "200", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
        auto* e = control<QLineEdit>(&dlg, c.edit);
        e->setFocus();
        e->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(e->text().toStdString(), c.shown);
        EXPECT_EQ(e->palette().color(QPalette::Base) == QColor(0xFF0000), !c.ok) << "red when out of range";
        EXPECT_EQ(enabled(&dlg, "ID_BTN_VT71H_WRITE"), c.ok);
        EXPECT_FALSE(enabled(&dlg, "ID_BTN_VT71H_SAVE"));
    }
    EXPECT_EQ(VT71h[1].Option2 & DOPT2_POINT, 0x20) << "decimal point 3 gives the point code 2";
    EXPECT_EQ(Option3[1], 25);
    control<QLineEdit>(&dlg, "ID_EDT_VT71H_DPOINT")->setFocus();
    dlux->setText(QStringLiteral("999"));  // an edit without the focus is not checked
    EXPECT_NE(dlux->palette().color(QPalette::Base), QColor(0xFF0000));
    dlux->setText(QStringLiteral("200"));

    click(&dlg, "ID_BTN_VT71H_WRITE");
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_VT71H_WRITE"));
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_VT71H_SAVE"));
    EXPECT_EQ(displays().registers(1)[2], 3);
    EXPECT_EQ(displays().registers(1)[3], 200);
    EXPECT_EQ(displays().registers(1)[6] & DOPT2_POINT, 0x20);
    EXPECT_EQ(displays().option3()[1], 25);
    ui.answer(Answer::Yes);
    click(&dlg, "ID_BTN_VT71H_SAVE");
    EXPECT_EQ(displays().saved(1)[2], 3) << "kept in the non-volatile memory";
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_VT71H_SAVE"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Save the current parameter values in the non-volatile memory ?");

    // Scan "OFF" refills: the scan edit goes off with it.
    click(&dlg, "ID_CHK_VT71H_SCAN");
    EXPECT_TRUE(Option3[0] & DOPT3_SCANOFF);
    EXPECT_FALSE(enabled(&dlg, "ID_EDT_VT71H_SCAN"));
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_VT71H_WRITE"));

    // Alt+C: a tuning that changes the byte enables Write.
    click(&dlg, "ID_BTN_VT71H_WRITE");
    bool tuned = false;
    whenModal<TuningDialog>([&](TuningDialog* t) {
        tuned = true;
        click(t, "ID_BTN_TUNOSC_INC");
        click(t, "ID_BTN_TUNOSC_ESC");
    });
    QTest::keyClick(dlux, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(tuned);
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_VT71H_WRITE"));

    // Default: the board's own values, read back into the window.
    ui.answer(Answer::Yes);
    click(&dlg, "ID_BTN_VT71H_DEFAULT");
    EXPECT_EQ(dlux->text(), QStringLiteral("128"));
    EXPECT_EQ(ui.messages.back().text, "Parameters restored successfully \n\r!!! Wait a few seconds !!!");
}

TEST_F(BoardSmallDialogsTest, TuningStepsWithinItsRangeAndWritesEachChange) {
    open("displays=1,display-family=vt75h");
    struct Case {
        uint8_t before;
        const char* clicks;  // '+', '-', 'p' (the pulse box)
        const char* shown;
        uint8_t after;
        int changed;
    };
    const Case cases[] = {
        {0x20, "-", "-32", 0x20, 0},  // the floor: the same byte again
        {0x1F, "+", "31", 0x1F, 0},   {0x3F, "p", "-1", 0xBF, 1},
        {0x00, "--+", "-1", 0x3F, 1}, {0x85, "p", "5", 0x05, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicks);
        uint32_t b = c.before;
        ASSERT_EQ(txrx_VT71h(W_PAR | 7, 5, &b), 0);
        TuningDialog dlg(nullptr);
        dlg.readRegister();
        dlg.show();
        for (const char* k = c.clicks; *k; ++k)
            click(&dlg, *k == '+' ? "ID_BTN_TUNOSC_INC" : *k == '-' ? "ID_BTN_TUNOSC_DEC" : "ID_CHK_TUNOSC");
        EXPECT_EQ(control<QLineEdit>(&dlg, "ID_EDT_TUNOSC")->text().toStdString(), c.shown);
        EXPECT_EQ(displays().option3()[5], c.after);
        EXPECT_EQ(dlg.changed(), c.changed);
    }
    EXPECT_TRUE(shown(ui).empty());
}

TEST_F(BoardSmallDialogsTest, DetailsReportEveryInverterOnceShownThenReadTheAlarmsOnClose) {
    ASSERT_TRUE(connect(kBoard + ",inverters=2"));
    vx::ui::qt::installQtBackend();  // the report goes into the real boxes
    QWidget owner;
    std::vector<vx::ui::WindowHandle> alarmsRead;
    vx::boards::onAlarmsRead = [&](vx::ui::WindowHandle h) { alarmsRead.push_back(h); };
    std::string report, total;
    whenModal<InverterDetailsDialog>([&](InverterDetailsDialog* dlg) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->totalLabel()->text().isEmpty(); }, 10000));
        report = dlg->reportBox()->toPlainText().toStdString();
        total = dlg->totalLabel()->text().toStdString();
        EXPECT_TRUE(alarmsRead.empty());
        click(dlg, "ID_BTN_DETESC");
    });
    vx::boards::DlgDettagli(&owner, 0x0102);  // two inverters from address 1
    vx::boards::onAlarmsRead = nullptr;
    EXPECT_EQ(report, "Number of inverters: 2\nAddress range: 1...2\n" + std::string(37, '-') +
                          "\n(001)-SN:130001-Aurora 5.0kW\n- Pin1: 1037 W\n- Pin2: 511 W\n\n"
                          "(002)-SN:130002-Aurora 3.0-3.6kW\n- Pin1: 1074 W\n- Pin2: 522 W\n\n");
    EXPECT_EQ(total, "Pin: 3145 W");
    EXPECT_EQ(alarmsRead, std::vector<vx::ui::WindowHandle>{&owner}) << "the owner's alarm rows follow";
}

TEST_F(BoardSmallDialogsTest, DetailsMarkAnIgnoredInverterAsErrorAndCountTheOthers) {
    ASSERT_TRUE(connect(kBoard + ",inverters=2,inv-badcrc=2"));
    for (int i = 0; i < 4; ++i)
        ui.answer(Answer::Ignore);
    InverterDetailsDialog dlg(nullptr, 0x0102);
    dlg.refresh();
    const std::string& report = ui.texts[dlg.reportBox()];
    EXPECT_NE(report.find("(002)-SN:Error-Error\r\n- Pin1: Error\r\n- Pin2: Error\r\n"), std::string::npos)
        << report;
    EXPECT_EQ(ui.texts[dlg.totalLabel()], "Pin: 1548 W");
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(ui.messages[0].text, "Inverter reading error 2");
}

TEST_F(BoardSmallDialogsTest, GsmFieldShowsTheReadingEachSecond) {
    ASSERT_TRUE(connect(kBoard + ",gsm=7/99"));
    QWidget owner;
    bool ran = false;
    whenModal<GsmFieldDialog>([&](GsmFieldDialog* dlg) {
        ran = true;
        EXPECT_TRUE(dlg->polling());
        auto* rx = control<QLineEdit>(dlg, "ID_EDT_GSM_RX");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !rx->text().isEmpty(); }, 10000)) << "the timer polls";
        EXPECT_EQ(rx->text(), QStringLiteral("7"));
        EXPECT_EQ(control<QLineEdit>(dlg, "ID_EDT_GSM_BR")->text(), QStringLiteral("99"));
        EXPECT_TRUE(dlg->polling());
        click(dlg, "ID_BTN_GSM_ESC");
    });
    vx::boards::DlgCampoGSM(&owner);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(shown(ui).empty());
}

TEST_F(BoardSmallDialogsTest, GsmFieldStopsWhenTheModemDoesNotAnswer) {
    ASSERT_TRUE(connect(kBoard + ",gsm=none"));
    GsmFieldDialog dlg(nullptr);
    dlg.show();
    ASSERT_TRUE(dlg.polling());
    dlg.pollOnce();
    EXPECT_FALSE(dlg.polling());
    EXPECT_TRUE(control<QLineEdit>(&dlg, "ID_EDT_GSM_RX")->text().isEmpty());
    EXPECT_EQ(shown(ui), (std::vector<Msg>{{"No response from modem GSM !", "Data Error", Icon::Error}}));
}

}  // namespace
}  // namespace vx::test
