#include "boards/windows/board_text_dialog.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "boards/board_text.h"
#include "ui/qt/controls.h"

namespace vx::boards {

BoardTextDialog::BoardTextDialog(QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgVT71txt"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Descrizione configurazione parametri VT71a"));
    auto* text = named(new QPlainTextEdit(this), "ID_EDT_PAR");
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setPlainText(toQDisplay(boardTextDescription(EE)));
    auto* col = new QVBoxLayout(this);
    col->addWidget(text);
    resize(560, 520);
}

void BoardTextDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

void BoardTextDialog::closeEvent(QCloseEvent* e) {
    e->accept();
    done(QDialog::Rejected);
}

void DlgVT71txt(QWidget* owner) {
    BoardTextDialog dlg(owner);
    dlg.exec();
}

}  // namespace vx::boards
