#include "monitor/windows/channel_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>

#include "monitor/channel_windows.h"
#include "ui/qt/controls.h"

namespace vx::monitor {
namespace {

QFont boldFont(const char* family, int pixels) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

}  // namespace

ChannelWindow::ChannelWindow(int slot, int creationNumber, QWidget* owner)
    : QDialog(owner, Qt::Tool), slot_(slot) {
    using vx::ui::qt::named;
    const ChannelWindowText t = channelWindowText(slot);
    setObjectName(QStringLiteral("DlgCanale%1").arg(slot));
    setWindowTitle(vx::ui::qt::toQ(t.caption));

    value_ = named(new QLineEdit(this), "ID_EDT_CANALE");
    value_->setReadOnly(true);
    value_->setFont(boldFont("Courier New", 50));
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value_->setStyleSheet(QStringLiteral("QLineEdit { color: #FFFF00; background: #000000; }"));
    value_->setCursor(Qt::ArrowCursor);
    value_->setFocusPolicy(Qt::NoFocus);  // no caret in the value
    unit_ = named(new QLabel(vx::ui::qt::toQ(t.unit), this), "ID_TXT_CANALE");
    unit_->setFont(boldFont("Arial", 25));

    auto* row = new QHBoxLayout(this);
    row->addWidget(value_, 1);
    row->addWidget(unit_);
    // Room for the widest value texts, not the line edit's default of many characters.
    value_->setFixedWidth(value_->fontMetrics().horizontalAdvance(QStringLiteral("-00000.00")) + 16);
    adjustSize();

    const ScreenPoint at = placeChannelWindow(slot, creationNumber);
    move(at.x, at.y);
    placing_ = false;
}

void ChannelWindow::showValue(const QString& text) {
    value_->setText(text);
}

QString ChannelWindow::value() const {
    return value_->text();
}

void ChannelWindow::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    if (placing_ || !isVisible()) return;
    const ScreenPoint snapped = channelWindowMoved(slot_, e->pos().x(), e->pos().y());
    if (snapped.x == e->pos().x() && snapped.y == e->pos().y()) return;
    placing_ = true;
    move(snapped.x, snapped.y);
    placing_ = false;
}

}  // namespace vx::monitor
