// Quick mode's windows driven as a user drives them, offscreen: Load with a chosen dump,
// the session list, the page viewer, the sample time and Start, "Load file .txt", the
// start-up form and Alt+S.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <fstream>

#include "gui_helpers.h"
#include "postproc/made_files.h"
#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "quick/windows/quick_dialog.h"
#include "session/download.h"
#include "session/session_state.h"
#include "sim/session.h"
#include "state/flags.h"
#include "support/reference_table.h"
#include "ui/qt/controls.h"

namespace vx::test {
namespace {

using vx::quick::PageDialog;
using vx::quick::QuickDialog;

class QuickDialogTest : public SimLoggerTest {
  protected:
    vx::sim::Session s;
    int postProcessed = 0;
    std::string fileSeen;  // the data record file as the post-processing found it
    vx::quick::QuickLinks links;

    void SetUp() override {
        SimLoggerTest::SetUp();
        vx::sim::SessionParams p;
        p.seed = 77;
        p.nodes = 3;
        p.pages = 6;
        p.tablePage = 0x200;
        p.tmpBytes = 0;
        p.oldTables = 2;
        std::string err;
        ASSERT_TRUE(vx::sim::generateSession(p, s, err)) << err;
        std::ofstream img(IMAGE_FILE, std::ios::binary);
        img.write(reinterpret_cast<const char*>(s.flash.data()), std::streamsize(s.flash.size()));
        std::ofstream dump(DUMP_FILE, std::ios::binary);
        dump << "Tabelle di assegnazione valide rilevate ***\r\n\r\n";
        for (int pg = 0; pg < vx::sim::kPageCount; ++pg) {
            const uint8_t* b = s.page(pg);
            if (b[0] != 0xFF || (b[2] | b[3] << 8) > 528) continue;
            char line[64];
            std::snprintf(line, sizeof line, "Page...0x%04X %02x%02x%02x_%02x%02x%02x %u\r\n", unsigned(pg),
                          b[13], b[12], b[11], b[10], b[9], b[8], unsigned(b[1]));
            dump << line;
        }
        dump << "\r\nFW release...............20\r\n";
        links.postProcessing = [this](QWidget*) {
            ++postProcessed;
            fileSeen = slurp(DataTimeSS);
        };
    }
    // The list entry of the generated session.
    int ownEntry() {
        for (int i = 0; i < vx::quick::IndTab; ++i)
            if (std::string(vx::quick::Table[i].pagetab) == "0200") return i;
        ADD_FAILURE() << "session not listed";
        return -1;
    }
    void load(QuickDialog& dlg) {
        ui.chooseFile(std::string(DUMP_FILE));
        QTest::mouseClick(control<QPushButton>(&dlg, "ID_BTN_QLOAD"), Qt::LeftButton);
    }
    void choose(QuickDialog& dlg, int index) {
        auto* list = control<QComboBox>(&dlg, "ID_CMB_QLOAD");
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    bool enabled(QWidget* w, const char* name) { return control<QWidget>(w, name)->isEnabled(); }
};

TEST_F(QuickDialogTest, OpensWithTextsAndOnlyTheImageSideEnabled) {
    QuickDialog dlg(false, links);
    dlg.show();
    struct Text {
        const char* name;
        const char* text;
    };
    for (const Text& t : {Text{"ID_BTN_QLOAD", "Load"}, Text{"ID_BTN_QSTART", "Start"},
                          Text{"ID_BTN_QFIRST", "Page First"}, Text{"ID_BTN_QLAST", "Page Last"},
                          Text{"ID_BTN_QLOADTXT", "Load file .txt"}, Text{"ID_BTN_QEXIT", "Exit"}})
        EXPECT_EQ(control<QPushButton>(&dlg, t.name)->text(), QString::fromLatin1(t.text)) << t.name;
    EXPECT_EQ(control<QLineEdit>(&dlg, "ID_EDT_QSAMPLE")->text(), QStringLiteral("1800"));
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_QSTART"));
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_QFIRST"));
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_QLAST"));
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_QLOAD"));
    auto* bar = control<vx::ui::qt::PartStatusBar>(&dlg, "ID_MAIN_QSTATUSBAR");
    EXPECT_EQ(bar->part(0), QStringLiteral(" Ready"));
    EXPECT_EQ(Flag.table_error + Flag.pagefirst_error + Flag.pagelast_error, 3);
}

TEST_F(QuickDialogTest, LoadListsTheSessionsAndChoosingOneEnablesThePages) {
    QuickDialog dlg(false, links);
    dlg.show();
    load(dlg);
    auto* list = control<QComboBox>(&dlg, "ID_CMB_QLOAD");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), 2) << "the last session is taken";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list->itemText(i), QString::fromLatin1(vx::quick::Table[i].datainizio));

    choose(dlg, ownEntry());
    EXPECT_EQ(Flag.table_error, 0);
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_QFIRST"));
    EXPECT_FALSE(enabled(&dlg, "ID_BTN_QLAST"));
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_QSTART"));
    EXPECT_EQ(ui.texts[dlg.reportBox()].rfind("Table page........ 0x0200\r\nFirst page........ 0x0201\r\n"
                                              "Last page......... 0x0206\r\nTotal data pages.. 6\r\n",
                                              0),
              0u)
        << ui.texts[dlg.reportBox()];
    EXPECT_EQ(dlg.reportBox()->palette().color(QPalette::Base), QColor(0xFFFFE6));
}

TEST_F(QuickDialogTest, PageFirstViewerStepsAndTypedPages) {
    QuickDialog dlg(false, links);
    dlg.show();
    load(dlg);
    choose(dlg, ownEntry());
    std::vector<QString> shown;
    whenModal<PageDialog>([&](PageDialog* v) {
        auto* page = control<QLineEdit>(v, "ID_EDT_PAGEPAGE");
        auto* info = control<QPlainTextEdit>(v, "ID_EDT_PAGEINFO");
        shown.push_back(page->text());
        shown.push_back(info->toPlainText().left(6));
        // Typed pages, then one step of the up-down control.
        for (const char* typed : {"2000", "200", "202"}) {
            page->setText(QString::fromLatin1(typed));
            QTest::keyClick(page, Qt::Key_Return);
            shown.push_back(page->text());
            shown.push_back(info->toPlainText().left(20));
        }
        control<QSpinBox>(v, "ID_SPIN_PAGE")->stepDown();
        shown.push_back(page->text());
        QTest::mouseClick(control<QPushButton>(v, "ID_BTN_PAGEESC"), Qt::LeftButton);
    });
    QTest::mouseClick(control<QPushButton>(&dlg, "ID_BTN_QFIRST"), Qt::LeftButton);
    const std::vector<QString> expected = {
        QStringLiteral("0x0201"), QString::fromLatin1(vx::quick::pageText(0x201).text.substr(0, 6).c_str()),
        QStringLiteral("0x0000"), QStringLiteral("Page not formatted !"),
        QStringLiteral("0x0200"), QStringLiteral("Assignment Table !"),
        QStringLiteral("0x0202"), QString::fromLatin1(vx::quick::pageText(0x202).text.substr(0, 20).c_str()),
        QStringLiteral("0x0201"),
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(PagFirst, 0x201);
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_QLAST")) << "Page Last follows a defined first page";
    EXPECT_TRUE(enabled(&dlg, "ID_BTN_QSTART"));
}

TEST_F(QuickDialogTest, SampleTimeGatesStartAndStartHandsTheFileOver) {
    QuickDialog dlg(false, links);
    dlg.show();
    load(dlg);
    choose(dlg, ownEntry());
    auto* sample = control<QLineEdit>(&dlg, "ID_EDT_QSAMPLE");
    struct Case {
        const char* typed;
        bool start;
    };
    for (const Case& c : {Case{"0", false}, Case{"65536", false}, Case{"", false}, Case{"60", true}}) {
        sample->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(enabled(&dlg, "ID_BTN_QSTART"), c.start) << c.typed;
        EXPECT_EQ(Flag.sample_error, c.start ? 0 : 1) << c.typed;
    }
    QTest::mouseClick(control<QPushButton>(&dlg, "ID_BTN_QSTART"), Qt::LeftButton);
    EXPECT_EQ(postProcessed, 1);
    EXPECT_EQ(fileSeen, referenceDataFile(s, {60, -1}));
    EXPECT_TRUE(exists(DataTimeSS)) << "no table was saved: the converted file stays";
    const std::vector<std::string> kept = vx::postproc::settleMadeFiles();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(exists(DataTimeSS)) << kept[0];
    EXPECT_EQ(control<vx::ui::qt::PartStatusBar>(&dlg, "ID_MAIN_QSTATUSBAR")->part(0),
              QStringLiteral(" Ready"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QuickDialogTest, LoadFileTxtAndTheStartUpForm) {
    struct Case {
        const char* what;
        int32_t result;
        int postProcessed;
        size_t messages;
    };
    for (const Case& c : {Case{"not a table", 0, 0, 1}, Case{"a saved table", 1, 1, 0}}) {
        SCOPED_TRACE(c.what);
        postProcessed = 0;
        ui.messages.clear();
        int calls = 0;
        links.loadFileTxt = [&] {
            ++calls;
            return c.result;
        };
        QuickDialog dlg(true, links);  // a data file named on the command line
        dlg.show();
        QApplication::processEvents();  // it is opened at once
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(postProcessed, c.postProcessed);
        ASSERT_EQ(ui.messages.size(), c.messages);
        if (c.messages) {
            EXPECT_EQ(ui.messages[0].text, "File not valid !");
            EXPECT_EQ(ui.messages[0].caption, "Error");
        }
        for (const char* name : {"ID_BTN_QLOAD", "ID_CMB_QLOAD", "ID_EDT_QSAMPLE"})
            EXPECT_FALSE(enabled(&dlg, name)) << name;
        EXPECT_TRUE(enabled(&dlg, "ID_BTN_QLOADTXT"));
        EXPECT_TRUE(enabled(&dlg, "ID_BTN_QEXIT"));
    }
}

TEST_F(QuickDialogTest, AltSOpensTheBoardCheckAndExitEnds) {
    int checks = 0;
    links.energyCheck = [&](QWidget*) { ++checks; };
    QuickDialog dlg(false, links);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(checks, 1);
    QTest::mouseClick(control<QPushButton>(&dlg, "ID_BTN_QEXIT"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace vx::test
