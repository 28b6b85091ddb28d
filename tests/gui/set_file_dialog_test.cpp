// The post-processing window driven as a user drives it: clicks into the table select
// columns or rows and enable the buttons, a header click renames, Delete item cuts rows,
// Ctrl+Z undoes, and Save writes format B to the file chosen.

#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <filesystem>
#include <fstream>

#include "gui_helpers.h"
#include "postproc/table_access.h"
#include "postproc/windows/set_file_dialog.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

class SetFileDialogTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxsfXXXXXX";
        dir = mkdtemp(tmpl);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        std::ofstream("240105_143000", std::ios::binary)
            << "Time[s]: 900\r\n\"A\" \"B\" \"C\" \r\n1 2 3 \r\n4 5 6 \r\n7 8 9 \r\n10 11 12 \r\n";
        std::snprintf(DataTimeSS, sizeof DataTimeSS, "240105_143000");
        Tsample = 900;
        InfoSES.nItem = 4;
        InfoSES.nSubItem = 3;
        Flag.COM_ext = 1;  // no companion programs after saving
        dlg = std::make_unique<vx::postproc::SetFileDialog>(nullptr, table);
        dlg->show();
        view = dlg->view();
    }
    void TearDown() override {
        dlg.reset();
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
        ProgramTest::TearDown();
    }
    void clickCell(int row, int column, Qt::MouseButton button = Qt::LeftButton) {
        QRect r = view->visualRect(view->model()->index(row, column));
        QTest::mouseClick(view->viewport(), button, {}, r.center());
    }
    bool enabled(const char* name) { return control<QPushButton>(dlg.get(), name)->isEnabled(); }
    void press(const char* name) { QTest::mouseClick(control<QPushButton>(dlg.get(), name), Qt::LeftButton); }

    vx::postproc::Table table;
    std::unique_ptr<vx::postproc::SetFileDialog> dlg;
    QTableView* view = nullptr;
    std::filesystem::path dir, old;
};

TEST_F(SetFileDialogTest, OpensWithTheTableAndTheButtonsOff) {
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Formatting output file"));
    EXPECT_EQ(view->model()->rowCount(), 4);
    EXPECT_EQ(view->model()->columnCount(), 5);
    EXPECT_EQ(view->model()->data(view->model()->index(1, 1)).toString(), QStringLiteral("240105_144500"));
    for (const char* b : {"ID_BTN_SELFSPOSTA", "ID_BTN_SELFFUSIONE", "ID_BTN_SELFDELCOL", "ID_BTN_SELFCUT",
                          "ID_BTN_SELFGRAPH"})
        EXPECT_FALSE(enabled(b)) << b;
    EXPECT_EQ(control<QPushButton>(dlg.get(), "ID_BTNC_SELFDOT")->text(), QStringLiteral("Point"));
    EXPECT_TRUE(control<QRadioButton>(dlg.get(), "ID_BTNR_SELFA")->isChecked());
}

TEST_F(SetFileDialogTest, ColumnClicksSelectAndColour) {
    clickCell(0, 3);
    EXPECT_EQ(SelCol[3], 1);
    EXPECT_TRUE(enabled("ID_BTN_SELFSPOSTA"));
    EXPECT_TRUE(enabled("ID_BTN_SELFGRAPH"));
    EXPECT_FALSE(enabled("ID_BTN_SELFFUSIONE"));
    EXPECT_EQ(view->model()->data(view->model()->index(2, 3), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 255, 0));
    EXPECT_EQ(view->model()->data(view->model()->index(2, 0), Qt::BackgroundRole).value<QColor>(),
              QColor(230, 230, 230));
    clickCell(1, 4);
    EXPECT_TRUE(enabled("ID_BTN_SELFFUSIONE"));
    clickCell(1, 4, Qt::RightButton);
    EXPECT_FALSE(enabled("ID_BTN_SELFFUSIONE"));
    press("ID_BTN_SELFSPOSTA");
    EXPECT_EQ(table.header(2), "B");
    EXPECT_FALSE(enabled("ID_BTN_SELFSPOSTA"));
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
}

TEST_F(SetFileDialogTest, HeaderClickRenamesAndCtrlZUndoes) {
    ui.type("Power");
    const QHeaderView* header = view->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, header->height() / 2));
    EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Power"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("A"));
}

TEST_F(SetFileDialogTest, DeleteItemCutsTheSelectedRows) {
    clickCell(0, 0);
    EXPECT_EQ(item_sel_en, 1);
    EXPECT_TRUE(table.rowSelected(0));
    EXPECT_TRUE(enabled("ID_BTN_SELFCUT"));
    ui.answer(vx::ui::Answer::Yes);
    press("ID_BTN_SELFCUT");
    EXPECT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(view->model()->data(view->model()->index(0, 0)).toString(), QStringLiteral("    2"));
    EXPECT_EQ(InfoSES.nItem, 3u);
    EXPECT_FALSE(enabled("ID_BTN_SELFCUT"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->model()->rowCount(), 4);
    EXPECT_EQ(InfoSES.nItem, 4u);
}

TEST_F(SetFileDialogTest, SaveInFormatBWithComma) {
    std::ofstream("240105_143000", std::ios::binary) << "";  // the table is loaded already
    QTest::mouseClick(control<QRadioButton>(dlg.get(), "ID_BTNR_SELFB"), Qt::LeftButton);
    press("ID_BTNC_SELFDOT");
    EXPECT_EQ(control<QPushButton>(dlg.get(), "ID_BTNC_SELFDOT")->text(), QStringLiteral("Comma"));
    ui.type("0.5");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->model()->index(0, 2)).center());
    ui.chooseFile((dir / "out.txt").string());
    press("ID_BTN_SELFSAVE");
    std::ifstream f(dir / "out.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}),
              "\"DATE:\";\"TIME:\";\"A\";\"B\";\"C\"\r\n"
              "\"05.01.24\";\"14:30:00\";0,5;2;3\r\n\"05.01.24\";\"14:45:00\";4;5;6\r\n"
              "\"05.01.24\";\"15:00:00\";7;8;9\r\n\"05.01.24\";\"15:15:00\";10;11;12\r\n");
    EXPECT_EQ(Flag.file_format, 1);
    dlg->reject();  // saved: closes without a question
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(SetFileDialogTest, ClosingWithUnsavedEditsAsksFirst) {
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->model()->index(0, 0)).center());
    EXPECT_TRUE(ui.inputs.empty()) << "the item number is no value";
    ui.type("7");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->model()->index(1, 3)).center());
    EXPECT_EQ(table.cell(1, 3), "7");
    ui.answer(vx::ui::Answer::No);
    press("ID_BTN_SETFILEESC");
    EXPECT_TRUE(dlg->isVisible());
    ui.answer(vx::ui::Answer::Yes);
    press("ID_BTN_SETFILEESC");
    EXPECT_FALSE(dlg->isVisible());
}

}  // namespace
}  // namespace vx::test
