// The board configuration window against a simulated VT71 or NOD85 board: opening, the
// enabling rules, the edit rules, the option boxes, the display groups, writing the image
// with the display set-up, the board commands, and the checklist view of a parameter file.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>

#include "boards/board_image.h"
#include "boards/display_board.h"
#include "boards/vt1_file.h"
#include "boards/windows/board_config_dialog.h"
#include "boards/windows/board_text_dialog.h"
#include "gui_helpers.h"
#include "link/com.h"
#include "sim/logger_device.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::test {
namespace {

using vx::boards::BoardConfigDialog;
using vx::ui::Icon;
using Mode = BoardConfigDialog::Mode;

class BoardConfigDialogTest : public SimLoggerTest {
  protected:
    void TearDown() override {
        dlg.reset();
        Slave_board = SLAVE_NONE;
        SimLoggerTest::TearDown();
    }
    // The configuration window over a connected simulated board, opened and shown.
    BoardConfigDialog& openOn(const std::string& settings) {
        EXPECT_TRUE(connect(settings));
        dlg = std::make_unique<BoardConfigDialog>(Mode::Configuration, links, nullptr);
        EXPECT_TRUE(dlg->initialise());
        dlg->show();
        return *dlg;
    }
    template <class W = QWidget>
    W* at(const char* name) {
        return control<W>(dlg.get(), name);
    }
    bool enabled(const char* name) { return at(name)->isEnabled(); }
    void click(const char* name) { QTest::mouseClick(at<QPushButton>(name), Qt::LeftButton); }
    void choose(const char* combo, int index) {
        auto* c = at<QComboBox>(combo);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    void tick(const char* box) { at<QCheckBox>(box)->click(); }
    void type(const char* edit, const char* text) {
        auto* e = at<QLineEdit>(edit);
        e->clear();
        QTest::keyClicks(e, QString::fromLatin1(text));
    }
    // Something of the simulated board, read under its lock.
    template <class F>
    auto onBoard(F f) {
        decltype(f(std::declval<vx::sim::LoggerDevice&>())) r{};
        server->withDevice([&](vx::sim::Device& d) { r = f(*vx::sim::findLogger(d)); });
        return r;
    }

    vx::boards::BoardConfigLinks links;
    std::unique_ptr<BoardConfigDialog> dlg;
};

TEST_F(BoardConfigDialogTest, OpeningWithNoBoardAnsweringTellsAndCloses) {
    const struct {
        const char* settings;
        const char* error;
    } cases[] = {
        {"vt71,vanish-nth=1,vanish-on=ATRD00FF", "Communication error with VT71a !"},
        {"nod85,vanish-nth=1,vanish-on=ATRD00FF", "Communication error with NOD85 !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ui.messages.clear();
        ASSERT_TRUE(connect(c.settings));
        bool stayedOpen = false;
        QTimer guard;  // closes the window should it open after all
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) stayedOpen = true, w->close();
        });
        guard.start(3000);
        vx::boards::DlgVT71cfg(nullptr, links);
        EXPECT_FALSE(stayedOpen);
        EXPECT_EQ(shown(ui), (std::vector<Msg>{{c.error, "COM Error", Icon::Error}}));
        closePort(hCom);
        hCom = nullptr;
        server->stop();
        Flag.NOD85 = 0;
    }
}

TEST_F(BoardConfigDialogTest, OpensWithTheBoardImageAndWriteAndSaveOff) {
    openOn("vt71");
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Parameters setting VT71a/-"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_PNOM")->text(), QStringLiteral("19800"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_KI")->text(), QStringLiteral("1000"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_KCO2")->text(), QStringLiteral("0.53"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_NTEL")->text(), QStringLiteral("+39123"));
    EXPECT_EQ(at<QLabel>("ID_TXT_VT71_MYADD")->text(), QStringLiteral("VT Address"));
    EXPECT_EQ(at<QLabel>("ID_TXT_VT71_STATO")->text(), QStringLiteral("ZERO"));
    EXPECT_EQ(at<QGroupBox>("ID_GRP_VT71_1")->title(), QStringLiteral("Display 1  (LAN)"));
    EXPECT_FALSE(enabled("ID_BTN_VT71_WRITE"));
    EXPECT_FALSE(enabled("ID_BTN_VT71_SAVE"));
    EXPECT_FALSE(enabled("ID_BTN_VT71_3")) << "display 3 shows nothing";
    EXPECT_TRUE(enabled("ID_CMB_VT71_3")) << "its combo can switch it on";
    EXPECT_FALSE(enabled("ID_CMB_VT71_NODEADD")) << "no meteo source";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BoardConfigDialogTest, TheDataSourceEnablesWhatItNeeds) {
    openOn("vt71");
    choose("ID_CMB_VT71_3", 1);  // sources 3 and 4 need displays 3 and 0
    choose("ID_CMB_VT71_0", 1);
    const char* controls[] = {"ID_CMB_VT71_BRATE", "ID_CMB_VT71_PROTO", "ID_EDT_VT71_NINV",
                              "ID_EDT_VT71_ADDI", "ID_CMB_VT71_ALAINV"};
    const struct {
        int source;
        bool on[5];
    } cases[] = {
        {0, {false, false, false, false, false}}, {1, {true, true, true, true, true}},
        {2, {true, false, false, true, true}},    {3, {false, true, true, true, true}},
        {4, {false, true, true, true, true}},
    };
    for (const auto& c : cases) {
        choose("ID_CMB_VT71_SDATI", c.source);
        EXPECT_EQ(EE.ram.Option & EE_OPT_SOURCE, c.source);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(enabled(controls[i]), c.on[i]) << "source " << c.source << ": " << controls[i];
    }
    EXPECT_TRUE(ui.messages.empty());

    // A source whose display port is off falls back to source 0.
    choose("ID_CMB_VT71_SDATI", 1);
    choose("ID_CMB_VT71_3", 0);
    choose("ID_CMB_VT71_SDATI", 3);
    EXPECT_EQ(shown(ui),
              (std::vector<Msg>{{"Warning, Display 3 is not enabled !", "Setup Error", Icon::Error}}));
    EXPECT_EQ(at<QComboBox>("ID_CMB_VT71_SDATI")->currentIndex(), 0);
    EXPECT_EQ(EE.ram.Option & EE_OPT_SOURCE, 0);
    for (const char* name : controls)
        EXPECT_FALSE(enabled(name)) << name;
}

TEST_F(BoardConfigDialogTest, Nod85ShowsItsAddressesAndDisablesWhatItLacks) {
    openOn("nod85");
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Parameters setting NOD85"));
    EXPECT_EQ(at<QLabel>("ID_TXT_VT71_MYADD")->text(), QStringLiteral("Dest / My Addresses"));
    EXPECT_EQ(at<QLabel>("ID_TXT_VT71_MYADD2")->text(), QStringLiteral("/ 1"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_MYADD")->text(), QStringLiteral("0")) << "the address of Option2";
    EXPECT_TRUE(at("ID_EDT_VT71_MYADD")->property("valErr").toBool()) << "0 is out of range";
    for (const char* name :
         {"ID_EDT_VT71_TCM", "ID_EDT_VT71_NTCA", "ID_TXT_VT71_KCO2", "ID_EDT_VT71_KEUR", "ID_EDT_VT71_NTEL",
          "ID_CMB_VT71_ALAETAG", "ID_BTN_VT71_FW", "ID_CMB_VT71_SMETEO", "ID_CHK_VT71_ALAUX", "ID_GRP_VT71_2",
          "ID_CMB_VT71_0", "ID_BTN_VT71_1", "ID_CHK_VT71_D100", "ID_CHK_VT71_DATIAUX", "ID_EDT_VT71_ADDAUX",
          "ID_CHK_VT71_7654"})
        EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : {"ID_EDT_VT71_TCA", "ID_EDT_VT71_PNOM", "ID_CMB_VT71_SDATI", "ID_BTN_VT71_READ"})
        EXPECT_TRUE(enabled(name)) << name;
    click("ID_BTN_VT71_READ");  // a fresh read keeps them off
    EXPECT_FALSE(enabled("ID_CMB_VT71_0"));
    EXPECT_TRUE(enabled("ID_BTN_VT71_WRITE")) << "the refill is a change";
}

TEST_F(BoardConfigDialogTest, EditRules) {
    openOn("vt71");
    const struct {
        const char *edit, *typed, *shown;
        bool writeOn;
    } cases[] = {
        {"ID_EDT_VT71_KI", "123456", "12345", true},  // cut to five characters
        {"ID_EDT_VT71_NTEL", "+39a", "", true},       // a letter clears the number
        {"ID_EDT_VT71_NTEL", "+3912345678901234", "+391234567890123", true},
        {"ID_EDT_VT71_TCA", "0", "0", false},  // out of range
        {"ID_EDT_VT71_TCA", "30", "30", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
        disable_cntr(dlg.get(), "ID_BTN_VT71_WRITE");
        enable_cntr(dlg.get(), "ID_BTN_VT71_SAVE");
        type(c.edit, c.typed);
        EXPECT_EQ(at<QLineEdit>(c.edit)->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(enabled("ID_BTN_VT71_WRITE"), c.writeOn);
        if (!c.writeOn) {
            EXPECT_FALSE(enabled("ID_BTN_VT71_SAVE")) << "a failed test also blocks Save";
        }
        EXPECT_EQ(at(c.edit)->property("valErr").toBool(), !c.writeOn);
    }
    EXPECT_EQ(+EE.ram.Ki, 1234) << "12345 / 10 rounds to even";
    EXPECT_EQ(+EE.ram.TCA, 30);
    EXPECT_EQ(EE.ram.N_telefono[0], 0xA3);
}

TEST_F(BoardConfigDialogTest, AuxWirelessDataStartsAt250AndGoesBackTo0) {
    openOn("vt71");
    EE.ram.Option |= EE_OPT_AUXWIRELESS;
    auto* box = at<QCheckBox>("ID_CHK_VT71_DATIAUX");
    auto* edit = at<QLineEdit>("ID_EDT_VT71_ADDAUX");
    ASSERT_FALSE(box->isChecked());
    EXPECT_FALSE(edit->isEnabled());
    box->click();
    EXPECT_EQ(edit->text(), QStringLiteral("250"));
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(EE.ram.ComReg >> 8, 250);
    EXPECT_EQ(EE.ram.Option & EE_OPT_AUXWIRELESS, 0);
    EXPECT_TRUE(enabled("ID_BTN_VT71_WRITE"));
    box->click();
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(EE.ram.ComReg >> 8, 0);
}

TEST_F(BoardConfigDialogTest, UpperFourDisplaysAndTheirDetails) {
    int opened = -1;
    links.displayDetails = [&](QWidget*, int code) { opened = code; };
    openOn("vt71");
    tick("ID_CHK_VT71_7654");
    EXPECT_EQ(Flag.quaterna, 4);
    EXPECT_EQ(at<QGroupBox>("ID_GRP_VT71_3")->title(), QStringLiteral("Display 7"));
    EXPECT_EQ(at<QGroupBox>("ID_GRP_VT71_0")->title(), QStringLiteral("Display 4"));
    choose("ID_CMB_VT71_3", 5);
    EXPECT_EQ(EE.ram.Display_gra[7] & 0x0F, 5);
    EXPECT_EQ(EE.ram.Display_gra[3] & 0x0F, 0);
    ASSERT_TRUE(enabled("ID_BTN_VT71_3"));
    click("ID_BTN_VT71_3");
    EXPECT_EQ(opened, 7);
    EXPECT_EQ(CodeD, 7);
}

TEST_F(BoardConfigDialogTest, WriteReachesTheBoardAndSetsUpTheDisplays) {
    openOn("vt71,displays=1,display-family=vt75h");
    Slave_board = SLAVE_VT75H;
    type("ID_EDT_VT71_PNOM", "25000");
    choose("ID_CMB_VT71_0", 2);  // display 0: six digits, no point
    choose("ID_CMB_VT71_1", 6);  // display 1 is not there
    tick("ID_CHK_VT71_D100");
    click("ID_BTN_VT71_WRITE");

    const Msg missing{"Error in writing the I2C Slave board number 1", "COM Error", Icon::Error};
    EXPECT_EQ(shown(ui), (std::vector<Msg>{missing, missing}));
    const vx::sim::BoardImage image = onBoard([](vx::sim::LoggerDevice& b) { return b.eeprom(); });
    EXPECT_TRUE(std::equal(image.begin(), image.end(), EE.buf));
    EXPECT_EQ(image[13] | image[14] << 8, 25000);
    const auto regs = onBoard([](vx::sim::LoggerDevice& b) { return b.displays().registers(0); });
    EXPECT_EQ(regs[6], 2);
    EXPECT_EQ(regs[1], 6);
    EXPECT_EQ(regs[2], 0);
    const auto option3 = onBoard([](vx::sim::LoggerDevice& b) { return b.displays().option3(); });
    EXPECT_EQ(option3[0] & DOPT3_ENERGY100, DOPT3_ENERGY100);
    EXPECT_EQ(option3[3], 2500 >> 8);
    EXPECT_EQ(option3[2], 2500 & 0xFF);
    EXPECT_FALSE(enabled("ID_BTN_VT71_WRITE"));
    ASSERT_TRUE(enabled("ID_BTN_VT71_SAVE"));

    ui.answer(vx::ui::Answer::Yes);
    click("ID_BTN_VT71_SAVE");
    EXPECT_EQ(ui.messages.back().text, "Save to non-volatile memory the current parameter values of VT71a ?");
    EXPECT_EQ(onBoard([](vx::sim::LoggerDevice& b) { return b.boardState().saved; }), image);
    EXPECT_FALSE(enabled("ID_BTN_VT71_SAVE"));
}

TEST_F(BoardConfigDialogTest, RemoteCommandsReachTheBoardAndReadAgain) {
    openOn("vt71");
    click("ID_BTN_VT71_P1");
    click("ID_BTN_VT71_P2");
    click("ID_BTN_VT71_P2");
    EXPECT_EQ(onBoard([](vx::sim::LoggerDevice& b) { return b.boardState().remote1; }), 1u);
    EXPECT_EQ(onBoard([](vx::sim::LoggerDevice& b) { return b.boardState().remote2; }), 2u);
    EXPECT_TRUE(enabled("ID_BTN_VT71_P1"));
    EXPECT_TRUE(enabled("ID_BTN_VT71_WRITE")) << "the image was read again";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BoardConfigDialogTest, ChecklistShowsAParameterFile) {
    initParcfg();
    resetBoardImage();
    EE.ram.Pnom = 4321;
    EE.ram.ComReg = 0x0100;  // aux data on
    ASSERT_TRUE(vx::boards::writeParameterFile("good.vt1"));
    std::ofstream("long.vt1", std::ios::binary) << slurp("good.vt1") << 'x';
    resetBoardImage();

    const struct {
        const char* file;
        const char* message;  // "" when it opens
    } cases[] = {{"long.vt1", "File not valid !"}, {"missing.vt1", "File not found !"}, {"good.vt1", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ui.messages.clear();
        ui.chooseFile((dir_ / c.file).string());
        dlg = std::make_unique<BoardConfigDialog>(Mode::Checklist, links, nullptr);
        const bool opened = dlg->initialise();
        EXPECT_EQ(opened, !*c.message);
        if (*c.message) {
            EXPECT_EQ(shown(ui), (std::vector<Msg>{{c.message, "Warning", Icon::Warning}}));
        }
    }
    dlg->show();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Valori parametri di configurazione VT71a per checklist"));
    EXPECT_EQ(at<QLineEdit>("ID_EDT_VT71_PNOM")->text(), QStringLiteral("4321"));
    EXPECT_EQ(at<QGroupBox>("ID_GRP_VT71_1")->title(), QStringLiteral("Display 1 (WEB)"));
    for (const char* name : {"ID_BTN_VT71_WRITE", "ID_BTN_VT71_READ", "ID_BTN_VT71_FREAD", "ID_BTN_VT71_P1",
                             "ID_CHK_VT71_DATIAUX", "ID_EDT_VT71_ADDAUX", "ID_CHK_VT71_AUTOS"})
        EXPECT_FALSE(enabled(name)) << name;
    tick("ID_CHK_VT71_7654");
    EXPECT_FALSE(enabled("ID_EDT_VT71_ADDAUX")) << "the refill keeps the checklist's controls off";
    EXPECT_FALSE(enabled("ID_BTN_VT71_WRITE"));

    auto* text = at<QPushButton>("ID_BTN_VT71_FW");
    EXPECT_EQ(text->text(), QStringLiteral("Versione testuale"));
    QString description;
    whenModal<vx::boards::BoardTextDialog>([&](vx::boards::BoardTextDialog* d) {
        auto* box = control<QPlainTextEdit>(d, "ID_EDT_PAR");
        EXPECT_TRUE(box->isReadOnly());
        description = box->toPlainText();
        d->close();
    });
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_TRUE(description.startsWith(QStringLiteral("Potenza nominale impianto FV: 4321 Wp\n")))
        << description.toStdString();
}

}  // namespace
}  // namespace vx::test
