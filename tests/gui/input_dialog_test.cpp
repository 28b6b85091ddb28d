// The input dialogs on real widgets: what the user types, what the field shows, whether
// Ok and Enter confirm, and what comes back in EditBuf.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "gui_helpers.h"
#include "shell/defaults.h"
#include "ui/input_dialogs.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/qt_backend.h"

namespace vx::test {
namespace {

using vx::ui::InputKind;
using vx::ui::qt::InputDialog;

struct Typing {
    const char* name;
    InputKind kind;
    int maxEdit;
    float min, max;
    const char* preset;
    const char* typed;       // keys typed into the field (after clearing it)
    const char* fieldShows;  // the field's text after typing
    bool okEnabled;
    int result;           // after Enter (0: Enter ignored, then Esc)
    const char* editBuf;  // EditBuf afterwards
};

const Typing kTyping[] = {
    {"IntegerStaysInteger", InputKind::Num, 8, 0, 0, "7", "12", "12", true, 1, "12"},
    {"TwoDecimalsKept", InputKind::Num, 8, 0, 0, "7", "2.50", "2.50", true, 1, "2.50"},
    {"NegativeNumber", InputKind::Num, 8, 0, 0, "7", "-0.5", "-0.5", true, 1, "-0.5"},
    {"FiveDecimalsAreErr", InputKind::Num, 7, 0, 0, "7", "1.23456", "1.23456", true, 1, "Err"},
    {"CutToMaxEdit", InputKind::Num, 3, 0, 0, "7", "12345", "123", true, 1, "123"},
    {"LetterEmptiesField", InputKind::Num, 8, 0, 0, "7", "12a", "", false, 0, "7"},
    {"RangeTopAccepted", InputKind::Num2, 4, 0, 4095, "20", "4095", "4095", true, 1, "4095"},
    {"AboveRangeRefused", InputKind::Num2, 4, 0, 4095, "20", "4096", "4096", false, 0, "20"},
    {"BelowRangeRefused", InputKind::Num2, 4, 1, 10, "5", "0", "0", false, 0, "5"},
    {"RangeKeepsTypedText", InputKind::Num2, 4, 0, 4095, "20", "07.0", "07.0", true, 1, "07.0"},
    {"TextCutAt15", InputKind::Txt, 15, 0, 0, "", "+39012345678901234", "+39012345678901", true, 1,
     "+39012345678901"},
    {"TextMayBeEmptied", InputKind::Txt, 15, 0, 0, "123", "\b", "", true, 1, ""},
};

class InputDialogTyping : public ::testing::TestWithParam<Typing> {
  protected:
    void SetUp() override {
        initVAR();
        backend_ = &vx::ui::qt::installQtBackend();
    }
    void TearDown() override { vx::ui::setBackend(nullptr); }
    vx::ui::qt::QtBackend* backend_ = nullptr;
};

int openDialog(InputKind kind) {
    switch (kind) {
        case InputKind::Text:
            return DlgInputText_(nullptr);
        case InputKind::Num:
            return DlgInputNum_(nullptr);
        case InputKind::Num2:
            return DlgInputNum2_(nullptr);
        case InputKind::Txt:
            return DlgInputTxt_(nullptr);
    }
    return -1;
}

TEST_P(InputDialogTyping, FieldOkAndResult) {
    const Typing& t = GetParam();
    MaxEdit = t.maxEdit;
    InputMin = t.min;
    InputMax = t.max;
    Ndec = 0;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", t.preset);
    InputDialog::Names n = InputDialog::names(t.kind);
    bool okAtOpening = true;
    QString shown;
    bool okAfterTyping = false;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        auto* edit = control<QLineEdit>(dlg, n.edit);
        auto* ok = control<QPushButton>(dlg, n.ok);
        okAtOpening = ok->isEnabled();
        if (std::strcmp(t.typed, "\b") == 0) {
            edit->end(false);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(t.typed));
        }
        shown = edit->text();
        okAfterTyping = ok->isEnabled();
        EXPECT_EQ(edit->cursorPosition(), edit->text().size()) << "caret at the end";
        QTest::keyClick(edit, Qt::Key_Return);
        if (dlg->isVisible()) QTest::mouseClick(control<QPushButton>(dlg, n.esc), Qt::LeftButton);
    });
    int result = openDialog(t.kind);
    EXPECT_FALSE(okAtOpening);
    EXPECT_EQ(shown.toStdString(), t.fieldShows);
    EXPECT_EQ(okAfterTyping, t.okEnabled);
    EXPECT_EQ(result, t.result);
    EXPECT_STREQ(EditBuf, t.editBuf);
}

INSTANTIATE_TEST_SUITE_P(Cases, InputDialogTyping, ::testing::ValuesIn(kTyping),
                         [](const auto& info) { return std::string(info.param.name); });

using InputDialogs = InputDialogTyping;

TEST_F(InputDialogs, RangeLineAndCaptionFromTheGlobals) {
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", "Page address");
    InputMin = 0;
    InputMax = 4095;
    Ndec = 0;
    MaxEdit = 4;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", "12");
    QString line, title, field;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        line = control<QLabel>(dlg, "ID_BTN_INPUTNUMTXT2")->text();
        title = dlg->windowTitle();
        field = control<QLineEdit>(dlg, "ID_EDT_INPUTNUM2")->text();
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(DlgInputNum2_(nullptr), 0);
    EXPECT_EQ(line.toStdString(), "Range: 0 ... 4095");
    EXPECT_EQ(title.toStdString(), "Page address");
    EXPECT_EQ(field.toStdString(), "12");
    EXPECT_STREQ(EditBuf, "12");
}

TEST_F(InputDialogs, LengthLineOfTheTextDialog) {
    MaxEdit = 15;
    QString line;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        line = control<QLabel>(dlg, "ID_TXT_INPUTTEXT2")->text();
        dlg->close();
    });
    EXPECT_EQ(DlgInputTxt_(nullptr), 0);
    EXPECT_EQ(line.toStdString(), "(15 characters max)");
}

TEST_F(InputDialogs, ColumnHeaderTypingReplacesTheSelectedPart) {
    std::snprintf(EditBuf, sizeof EditBuf, "%s", "CH12_3 Temp");
    QString group;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        group = control<QWidget>(dlg, "ID_TXTG_INPUTTEXT")->property("title").toString();
        auto* edit = control<QLineEdit>(dlg, "ID_EDT_INPUTTEXT");
        QTest::keyClicks(edit, QStringLiteral("X"));  // positions 1 to 4 were selected
        QTest::mouseClick(control<QPushButton>(dlg, "ID_BTN_INPUTTEXTOK"), Qt::LeftButton);
    });
    EXPECT_EQ(DlgInputText_(nullptr), 1);
    EXPECT_EQ(group.toStdString(), "Changing column header");
    EXPECT_STREQ(EditBuf, "CX3 Temp");
}

TEST_F(InputDialogs, CentredOnTheParent) {
    QWidget parent;
    parent.setGeometry(100, 80, 640, 480);
    parent.show();
    std::snprintf(EditBuf, sizeof EditBuf, "%s", "1");
    QRect parentFrame, frame;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        parentFrame = parent.frameGeometry();
        frame = dlg->frameGeometry();
        dlg->close();
    });
    DlgInputNum_(&parent);
    EXPECT_EQ(frame.left(), parentFrame.left() + (parentFrame.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), parentFrame.top() + (parentFrame.height() - frame.height()) / 2);
}

}  // namespace
}  // namespace vx::test
