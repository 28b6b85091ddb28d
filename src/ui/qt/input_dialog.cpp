#include "ui/qt/input_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "ui/input_dialogs.h"
#include "ui/qt/controls.h"

namespace vx::ui::qt {

InputDialog::Names InputDialog::names(InputKind kind) {
    switch (kind) {
        case InputKind::Text:
            return {"DlgInputText", "ID_EDT_INPUTTEXT", "ID_BTN_INPUTTEXTOK", "ID_BTN_INPUTTEXTESC",
                    "ID_TXTG_INPUTTEXT"};
        case InputKind::Num:
            return {"DlgInputNum", "ID_EDT_INPUTNUM", "ID_BTN_INPUTNUMOK", "ID_BTN_INPUTNUMESC", nullptr};
        case InputKind::Num2:
            return {"DlgInputNum2", "ID_EDT_INPUTNUM2", "ID_BTN_INPUTNUMOK2", "ID_BTN_INPUTNUMESC2",
                    "ID_BTN_INPUTNUMTXT2"};
        case InputKind::Txt:
            return {"DlgInputTxt", "ID_EDT_INPUTTEXT2", "ID_BTN_INPUTTEXTOK2", "ID_BTN_INPUTTEXTESC2",
                    "ID_TXT_INPUTTEXT2"};
    }
    return {};
}

InputDialog::InputDialog(InputKind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    const Names n = names(kind);
    setObjectName(QString::fromLatin1(n.dialog));
    setWindowTitle(toQ(inputCaption(kind)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QString::fromLatin1(n.edit));
    edit_->setAlignment(kind == InputKind::Text ? Qt::AlignLeft : Qt::AlignRight);
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setObjectName(QString::fromLatin1(n.ok));
    esc_ = new QPushButton(QStringLiteral("Esc"), this);
    esc_->setObjectName(QString::fromLatin1(n.esc));
    for (QPushButton* b : {ok_, esc_})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // The templates differ in the order of the two buttons; the focus follows it.
    if (kind == InputKind::Num || kind == InputKind::Num2) {
        buttons->addWidget(ok_);
        buttons->addWidget(esc_);
    } else {
        buttons->addWidget(esc_);
        buttons->addWidget(ok_);
    }
    auto* col = new QVBoxLayout(this);
    // The caption repeated as a prompt inside the dialog, and room for all of it in the
    // title bar: window managers cut a long title short, and some draw none.
    const QString caption = windowTitle();
    if (!caption.isEmpty()) {
        auto* prompt = new QLabel(caption, this);
        prompt->setObjectName(QStringLiteral("prompt"));
        prompt->setWordWrap(true);
        col->addWidget(prompt);
        setMinimumWidth(qMax(240, fontMetrics().horizontalAdvance(caption) + 96));
    }
    if (kind == InputKind::Text) {
        auto* group = new QGroupBox(QStringLiteral("Changing column header"), this);
        group->setObjectName(QString::fromLatin1(n.info));
        auto* inGroup = new QVBoxLayout(group);
        inGroup->addWidget(edit_);
        col->addWidget(group);
    } else {
        if (kind == InputKind::Txt) {
            auto* line = new QLabel(toQ(lengthLine()), this);
            line->setObjectName(QString::fromLatin1(n.info));
            line->setAlignment(Qt::AlignCenter);
            col->addWidget(line);
        }
        col->addWidget(edit_);
        if (kind == InputKind::Num2) {
            auto* line = new QLabel(toQ(rangeLine()), this);
            line->setObjectName(QString::fromLatin1(n.info));
            line->setAlignment(Qt::AlignCenter);
            col->addWidget(line);
        }
    }
    col->addLayout(buttons);

    // The field starts with EditBuf; Ok becomes usable only after a change.
    edit_->setText(toQ(std::string(EditBuf, strnlen(EditBuf, sizeof EditBuf))));
    if (kind == InputKind::Text) edit_->setSelection(1, 4);
    ok_->setEnabled(false);
    connect(edit_, &QLineEdit::textChanged, this, [this](const QString& t) { edited(t); });
    connect(ok_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(esc_, &QPushButton::clicked, this, [this] { reject(); });
    edit_->setFocus();
    adjustSize();
}

void InputDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centerOnParent(this, parentWidget());
}

void InputDialog::edited(const QString& text) {
    if (rewriting_) return;
    EditState st = onEditChange(kind_, fromQ(text));
    if (st.textChanged) {
        rewriting_ = true;
        edit_->setText(toQ(st.text));
        edit_->setCursorPosition(int(edit_->text().size()));
        rewriting_ = false;
    }
    ok_->setEnabled(st.okEnabled);
}

void InputDialog::confirm() {
    if (!ok_->isEnabled()) return;
    std::string out = confirmedText(kind_, fromQ(edit_->text()));
    std::snprintf(EditBuf, sizeof EditBuf, "%s", out.c_str());
    accept();
}

void InputDialog::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            confirm();
            return;  // only while Ok is enabled
        case Qt::Key_Escape:
            reject();
            return;
        default:
            QDialog::keyPressEvent(e);
    }
}

int InputDialog::run() {
    return exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace vx::ui::qt
