#include "boards/windows/gsm_field_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "boards/gsm_field.h"
#include "ui/qt/controls.h"

namespace vx::boards {

GsmFieldDialog::GsmFieldDialog(QWidget* owner) : QDialog(owner), timer_(new QTimer(this)) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgCampoGSM"));
    setWindowTitle(QStringLiteral("GSM Field"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    rx_ = named(new QLineEdit(this), "ID_EDT_GSM_RX");
    ber_ = named(new QLineEdit(this), "ID_EDT_GSM_BR");
    for (QLineEdit* e : {rx_, ber_}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
    }
    QPushButton* esc = makeButton(this, "ID_BTN_GSM_ESC", "Esc");
    auto* grid = new QGridLayout;
    grid->addWidget(named(new QLabel(QStringLiteral("Rx field:"), this), "2001"), 0, 0);
    grid->addWidget(rx_, 0, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Bit err rate:"), this), "2002"), 1, 0);
    grid->addWidget(ber_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(esc);
    auto* col = new QVBoxLayout(this);
    col->addLayout(grid);
    col->addLayout(buttons);

    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &GsmFieldDialog::pollOnce);
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
}

bool GsmFieldDialog::polling() const {
    return timer_->isActive();
}

void GsmFieldDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnParent(this, parentWidget());
    if (!stopped_) timer_->start();
}

void GsmFieldDialog::pollOnce() {
    const bool timed = timer_->isActive();
    timer_->stop();  // no second poll while a message of this one is open
    const GsmReading r = gsmPoll(this);
    switch (r.state) {
        case GsmPoll::Shown:
            rx_->setText(QString::number(r.field.rx));
            ber_->setText(QString::number(r.field.ber));
            break;
        case GsmPoll::NotShown:
            break;
        case GsmPoll::NoBoard:
        case GsmPoll::NoModem:
            stopped_ = true;  // the message is shown; the last values stay
            return;
    }
    if (timed) timer_->start();
}

void DlgCampoGSM(QWidget* owner) {
    GsmFieldDialog dlg(owner);
    dlg.exec();
}

}  // namespace vx::boards
