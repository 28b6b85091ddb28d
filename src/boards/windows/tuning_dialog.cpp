#include "boards/windows/tuning_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/controls.h"

namespace vx::boards {

TuningDialog::TuningDialog(QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgTunosc"));
    setWindowTitle(QStringLiteral("Tuning CPU clock"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    value_ = named(new QLineEdit(this), "ID_EDT_TUNOSC");
    value_->setReadOnly(true);
    value_->setAlignment(Qt::AlignRight);
    QPushButton* inc = makeButton(this, "ID_BTN_TUNOSC_INC", "+");
    QPushButton* dec = makeButton(this, "ID_BTN_TUNOSC_DEC", "-");
    pulse_ = named(new QCheckBox(QStringLiteral("Pulse enable (JP4)"), this), "ID_CHK_TUNOSC");
    QPushButton* esc = makeButton(this, "ID_BTN_TUNOSC_ESC", "Esc");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Tunosc reg:"), this), 0, 0);
    grid->addWidget(value_, 0, 1);
    grid->addWidget(inc, 0, 2);
    grid->addWidget(dec, 0, 3);
    grid->addWidget(pulse_, 1, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(esc);
    auto* col = new QVBoxLayout(this);
    col->addLayout(grid);
    col->addLayout(buttons);

    connect(inc, &QPushButton::clicked, this, [this] { refresh(tunosc_.increment(), this); });
    connect(dec, &QPushButton::clicked, this, [this] { refresh(tunosc_.decrement(), this); });
    connect(pulse_, &QCheckBox::clicked, this, [this](bool on) { refresh(tunosc_.setPulse(on), this); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
}

void TuningDialog::readRegister() {
    refresh(tunosc_.open(), parentWidget());
}

void TuningDialog::refresh(int failed, QWidget* owner) {
    value_->setText(QString::number(tunosc_.value()));
    pulse_->setChecked(tunosc_.pulse());
    if (failed)
        vx::ui::message(owner, "Communication error with I2C Slave Board !", "COM Error",
                        vx::ui::Icon::Error);
}

void TuningDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnParent(this, parentWidget());
}

int DlgTunosc(QWidget* owner) {
    TuningDialog dlg(owner);
    dlg.readRegister();
    dlg.exec();
    return dlg.changed();
}

}  // namespace vx::boards
