#include "boards/windows/inverter_details_dialog.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "boards/alarms.h"
#include "boards/inverter_report.h"
#include "ui/qt/controls.h"

namespace vx::boards {
namespace {

constexpr QRgb kIvory = 0xFFFFF0;  // RGB(255, 255, 240)

}  // namespace

InverterDetailsDialog::InverterDetailsDialog(QWidget* owner, uint16_t comReg2)
    : QDialog(owner), comReg2_(comReg2) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgDettagli"));
    setWindowTitle(QStringLiteral("Inverters connected to the system"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    report_ = named(new QPlainTextEdit(this), "ID_EDT_DETSES");
    report_->setReadOnly(true);
    report_->setFont(fixed);
    report_->setMinimumSize(420, 300);
    QPalette pal = report_->palette();
    pal.setColor(QPalette::Base, QColor(kIvory));
    report_->setPalette(pal);

    total_ = named(new QLabel(this), "ID_TXT_DETPIN");
    total_->setFont(fixed);

    QPushButton* refreshButton = makeButton(this, "ID_BTN_DETREF", "Refresh");
    QPushButton* esc = makeButton(this, "ID_BTN_DETESC", "Esc");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(total_, 1);
    bottom->addWidget(refreshButton);
    bottom->addWidget(esc);
    auto* col = new QVBoxLayout(this);
    col->addWidget(report_, 1);
    col->addLayout(bottom);

    connect(refreshButton, &QPushButton::clicked, this, [this] { refresh(); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
    report_->viewport()->installEventFilter(this);
}

void InverterDetailsDialog::refresh() {
    refresh_dati_inv({this, report_, total_}, comReg2_);
}

bool InverterDetailsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Paint && watched == report_->viewport() && !reported_) {
        reported_ = true;
        // After this paint, so that the window shows while the inverters are asked.
        QTimer::singleShot(0, this, [this] { refresh(); });
    }
    return QDialog::eventFilter(watched, e);
}

void InverterDetailsDialog::done(int r) {
    upd_Alarm(parentWidget());  // the owner's alarm rows follow the board once more
    QDialog::done(r);
}

void DlgDettagli(QWidget* owner, uint16_t comReg2) {
    InverterDetailsDialog dlg(owner, comReg2);
    dlg.exec();
}

}  // namespace vx::boards
