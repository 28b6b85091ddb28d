// The input dialogs on real widgets: what the user types, what the field shows, whether
// Ok and Enter confirm, what comes back in EditBuf, and what each dialog shows and where.

#include <QLineEdit>
#include <map>

#include "gui_helpers.h"
#include "ui/input_dialogs.h"
#include "ui/qt/input_dialog.h"

namespace vx::test {
namespace {

using vx::ui::InputKind;
using vx::ui::qt::InputDialog;

using K = InputKind;

// Through the core's entry of each kind, as the procedures open them.
int openDialog(InputKind kind, QWidget* parent) {
    static const std::map<InputKind, int32_t (*)(vx::ui::WindowHandle)> entry{
        {K::Text, DlgInputText_}, {K::Num, DlgInputNum_}, {K::Num2, DlgInputNum2_}, {K::Txt, DlgInputTxt_}};
    return entry.at(kind)(parent);
}

struct Typing {
    const char* name;  // also the caption asked for (TitoloBuf)
    InputKind kind;
    int maxEdit;
    float min, max;
    const char* preset;      // EditBuf before: the field's text at opening
    const char* typed;       // keys typed into the field, its text selected first
    const char* fieldShows;  // the field's text after typing
    bool okEnabled;
    int result;             // after Enter (0: Enter ignored, then Esc)
    const char* editBuf;    // EditBuf afterwards
    const char* line;       // the range, length or group line ("": none)
    bool asOpened = false;  // typed into the field as it opened (caret or selection kept)
    bool clickOk = false;   // confirmed with a click on Ok instead of Enter
};

const Typing kTyping[] = {
    // clang-format off
    {"IntegerStaysInteger", K::Num, 8, 0, 0, "7", "12", "12", true, 1, "12", ""},
    {"TwoDecimalsKept", K::Num, 8, 0, 0, "7", "2.50", "2.50", true, 1, "2.50", ""},
    {"NegativeNumber", K::Num, 8, 0, 0, "7", "-0.5", "-0.5", true, 1, "-0.5", ""},
    {"FiveDecimalsAreErr", K::Num, 7, 0, 0, "7", "1.23456", "1.23456", true, 1, "Err", ""},
    {"CutToMaxEdit", K::Num, 3, 0, 0, "7", "12345", "123", true, 1, "123", ""},
    {"LetterEmptiesField", K::Num, 8, 0, 0, "7", "12a", "", false, 0, "7", ""},
    {"RangeTopAccepted", K::Num2, 4, 0, 4095, "20", "4095", "4095", true, 1, "4095", "Range: 0 ... 4095"},
    {"AboveRangeRefused", K::Num2, 4, 0, 4095, "20", "4096", "4096", false, 0, "20", "Range: 0 ... 4095"},
    {"BelowRangeRefused", K::Num2, 4, 1, 10, "5", "0", "0", false, 0, "5", "Range: 1 ... 10"},
    {"RangeKeepsTypedText", K::Num2, 4, 0, 4095, "20", "07.0", "07.0", true, 1, "07.0", "Range: 0 ... 4095",
     false, true},
    {"TextCutAt15", K::Txt, 15, 0, 0, "", "+39012345678901234", "+39012345678901", true, 1, "+39012345678901",
     "(15 characters max)"},
    {"TextMayBeEmptied", K::Txt, 15, 0, 0, "123", "\b\b\b", "", true, 1, "", "(15 characters max)", true},
    // The column header dialog opens with positions 1 to 4 selected.
    {"HeaderTypingReplacesTheSelectedPart", K::Text, 8, 0, 0, "CH12_3 Temp", "X", "CX3 Temp", true, 1, "CX3 Temp",
     "Changing column header", true, true},
    // clang-format on
};

void PrintTo(const Typing& t, std::ostream* os) {
    *os << t.name;
}

class InputDialogTyping : public QtBackendTest, public ::testing::WithParamInterface<Typing> {};

TEST_P(InputDialogTyping, FieldOkAndResult) {
    const Typing& t = GetParam();
    MaxEdit = t.maxEdit;
    InputMin = t.min;
    InputMax = t.max;
    Ndec = 0;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", t.preset);
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", t.name);
    const InputDialog::Names n = InputDialog::names(t.kind);
    QWidget parent;
    parent.setGeometry(20, 30, 640, 480);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    bool okAtOpening = true, okAfterTyping = false;
    QString caption, line, atOpening, shown;
    QRect frame;
    whenModal<InputDialog>([&](InputDialog* dlg) {
        caption = dlg->windowTitle();
        if (n.info) {
            QObject* l = control(dlg, n.info);
            line = (l->property("text").isValid() ? l->property("text") : l->property("title")).toString();
        }
        frame = dlg->frameGeometry();
        auto* edit = control<QLineEdit>(dlg, n.edit);
        auto* ok = control<QPushButton>(dlg, n.ok);
        atOpening = edit->text();
        okAtOpening = ok->isEnabled();
        if (!t.asOpened) edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(t.typed));
        shown = edit->text();
        okAfterTyping = ok->isEnabled();
        EXPECT_TRUE(t.kind == K::Text || edit->cursorPosition() == edit->text().size()) << "caret at the end";
        if (t.clickOk)
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            QTest::keyClick(edit, Qt::Key_Return);
        if (dlg->isVisible()) QTest::mouseClick(control<QPushButton>(dlg, n.esc), Qt::LeftButton);
    });
    EXPECT_EQ(openDialog(t.kind, &parent), t.result);
    // Only the range and length dialogs show the caption asked for.
    EXPECT_EQ(caption.toStdString(), t.kind == K::Num2 || t.kind == K::Txt ? t.name : "");
    EXPECT_EQ(line.toStdString(), t.line);
    EXPECT_EQ(atOpening.toStdString(), t.preset);
    EXPECT_FALSE(okAtOpening);
    EXPECT_EQ(shown.toStdString(), t.fieldShows);
    EXPECT_EQ(okAfterTyping, t.okEnabled);
    EXPECT_STREQ(EditBuf, t.editBuf);
    const QRect p = parent.frameGeometry();  // centred on it
    EXPECT_EQ(frame.left(), p.left() + (p.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), p.top() + (p.height() - frame.height()) / 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, InputDialogTyping, ::testing::ValuesIn(kTyping),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vx::test
