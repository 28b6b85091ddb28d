#include "ui/qt/wait_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/controls.h"
#include "ui/wait_window.h"

namespace vx::ui::qt {

WaitDialog::WaitDialog(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("DlgProgress"));
    setWindowModality(Qt::ApplicationModal);
    // The thin frame of the template: a plain one-pixel border drawn by the dialog itself.
    setStyleSheet(QStringLiteral("QDialog#DlgProgress { border: 1px solid palette(dark); }"));

    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("ID_TXT_PROGINFO"));
    text_->setMinimumWidth(260);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ID_BAR_PROGBAR"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    stop_ = new QPushButton(QStringLiteral("Esc"), this);
    stop_->setObjectName(QStringLiteral("ID_BTN_PROGESC"));
    stop_->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(bar_, 1);
    row->addWidget(stop_);
    auto* col = new QVBoxLayout(this);
    col->addWidget(text_);
    col->addLayout(row);

    connect(stop_, &QPushButton::clicked, this, [this] { stopClicked(); });
    adjustSize();
    centerOnParent(this, owner);
}

void WaitDialog::setText(const QString& text) {
    text_->setText(text);
}
void WaitDialog::setBar(int percent) {
    bar_->setValue(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}
int WaitDialog::bar() const {
    return bar_->value();
}
QString WaitDialog::text() const {
    return text_->text();
}

void WaitDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();  // not a Stop: only the button stops
        return;
    }
    QDialog::keyPressEvent(e);
}

void WaitDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
}

void WaitDialog::stopClicked() {
    handlingStop_ = true;
    vx::ui::waitStopClicked();  // may close the window through the backend
    handlingStop_ = false;
}

}  // namespace vx::ui::qt
