#include "ui/qt/controls.h"

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include "ui/text_encoding.h"

namespace vx::ui::qt {

QString toQ(const std::string& cp1252) {
    return QString::fromStdString(cp1252ToUtf8(cp1252));
}

QString toQDisplay(const std::string& cp1252) {
    QString s = toQ(cp1252);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

std::string fromQ(const QString& s) {
    return utf8ToCp1252(s.toStdString());
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text) {
    auto* b = named(new QPushButton(QString::fromLatin1(text), parent), name);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const char* title) {
    return named(new QGroupBox(QString::fromLatin1(title), parent), name);
}

void centerOnScreen(QWidget* w) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->geometry();
    QSize size = w->frameGeometry().size();
    w->move(area.left() + (area.width() - size.width()) / 2,
            area.top() + (area.height() - size.height()) / 2);
}

void centerOnParent(QWidget* w, QWidget* parent) {
    if (!parent || !parent->isVisible()) return centerOnScreen(w);
    QRect p = parent->window()->frameGeometry();
    QSize size = w->frameGeometry().size();
    w->move(p.left() + (p.width() - size.width()) / 2, p.top() + (p.height() - size.height()) / 2);
}

PartStatusBar::PartStatusBar(QWidget* parent, int firstWidth) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        parts_[i] = new QLabel(this);
        parts_[i]->setObjectName(QStringLiteral("part%1").arg(i));
        parts_[i]->setFrameShape(QFrame::Panel);
        parts_[i]->setFrameShadow(QFrame::Sunken);
    }
    parts_[0]->setFixedWidth(firstWidth);
    addWidget(parts_[0]);
    addWidget(parts_[1], 1);
}

void PartStatusBar::setPart(int part, const QString& text) {
    if (part >= 0 && part < 2) parts_[part]->setText(text);
}

QString PartStatusBar::part(int part) const {
    return part >= 0 && part < 2 ? parts_[part]->text() : QString();
}

}  // namespace vx::ui::qt

namespace {
QWidget* control(QWidget* dlg, const char* name) {
    return dlg ? dlg->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
}
}  // namespace

int enable_cntr(QWidget* dlg, const char* name) {
    QWidget* w = control(dlg, name);
    if (!w) return 0;
    bool wasDisabled = !w->isEnabled();
    w->setEnabled(true);
    return wasDisabled ? 1 : 0;
}

int disable_cntr(QWidget* dlg, const char* name) {
    QWidget* w = control(dlg, name);
    if (!w) return 0;
    if (w->hasFocus() || QApplication::focusWidget() == w) {
        for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain()) {
            if (dlg->isAncestorOf(n) && n->isEnabled() && n->isVisible() &&
                (n->focusPolicy() & Qt::TabFocus)) {
                n->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    bool wasDisabled = !w->isEnabled();
    w->setEnabled(false);
    return wasDisabled ? 1 : 0;
}
