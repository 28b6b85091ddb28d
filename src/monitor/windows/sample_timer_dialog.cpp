#include "monitor/windows/sample_timer_dialog.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "monitor/sample_timer.h"
#include "ui/qt/controls.h"

namespace vx::monitor {

SampleTimerDialog::SampleTimerDialog(QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgSaTmr"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    QGroupBox* frame = makeGroup(this, "ID_TXTG_SATMR", "Setting SaTmr value");
    value_ = named(new QLineEdit(QString::number(kSaTmrInitial), frame), "ID_EDT_SATMR");
    value_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    value_->setAlignment(Qt::AlignRight);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(value_);
    QPushButton* applyButton = makeButton(this, "ID_BTN_SATMRSET", "Apply");
    QPushButton* esc = makeButton(this, "ID_BTN_SATMRESC", "Esc");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(applyButton);
    buttons->addWidget(esc);
    auto* col = new QVBoxLayout(this);
    col->addWidget(frame);
    col->addLayout(buttons);

    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
    value_->setFocus();
}

void SampleTimerDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

uint16_t SampleTimerDialog::clampField() {
    const uint16_t v = clampSaTmr(vx::ui::qt::fromQ(value_->text()));
    value_->setText(QString::number(v));
    return v;
}

void SampleTimerDialog::apply() {
    if (applySaTmr(this, clampField())) accept();
}

void SampleTimerDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        clampField();  // Enter only checks the value
        return;
    }
    QDialog::keyPressEvent(e);  // Escape closes without sending
}

void DlgSaTmr(QWidget* owner) {
    SampleTimerDialog dlg(owner);
    dlg.exec();
}

}  // namespace vx::monitor
