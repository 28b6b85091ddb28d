#include "app/screenshot.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace vx::app {
namespace {

constexpr int kStepMs = 400;

// The order windows were shown (or raised) in: without a window manager each one lies on
// top of those shown before it.
class ShowOrder : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if ((e->type() == QEvent::Show || e->type() == QEvent::ZOrderChange) && o->isWidgetType() &&
            static_cast<QWidget*>(o)->isWindow())
            order_[static_cast<QWidget*>(o)] = ++count_;
        return false;
    }
    int of(QWidget* w) const { return order_.value(w, 0); }

  private:
    QHash<QWidget*, int> order_;
    int count_ = 0;
};

ShowOrder* gShowOrder = nullptr;

QList<QWidget*> visibleWindows() {
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized()) list << w;
    std::stable_sort(list.begin(), list.end(),
                     [](QWidget* a, QWidget* b) { return gShowOrder->of(a) < gShowOrder->of(b); });
    return list;
}

// Left-clicks cell (row, column) of the list in the topmost window that has one.
void clickCell(const QList<QWidget*>& windows, int row, int column) {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        for (QAbstractItemView* v : (*it)->findChildren<QAbstractItemView*>()) {
            if (!v->isVisible() || !v->model()) continue;
            const QPoint at = v->visualRect(v->model()->index(row, column)).center();
            const QPointF local(at), global(v->viewport()->mapToGlobal(at));
            for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(t, local, global, Qt::LeftButton,
                              t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(v->viewport(), &e);
            }
            return;
        }
    }
    std::fprintf(stderr, "screenshot: no list for a cell click\n");
}

void runStep(const QString& step) {
    if (step == QLatin1String("pause")) return;
    if (step.startsWith(QLatin1String("key:"))) {  // "key:Alt-Q" ('+' separates the steps)
        const QKeyCombination k =
            QKeySequence::fromString(step.mid(4).replace(QLatin1Char('-'), QLatin1Char('+')))[0];
        // Without a window manager no window may be active: the topmost one's focus then.
        QWidget* target = QApplication::focusWidget();
        if (!target && !visibleWindows().isEmpty()) {
            QWidget* top = visibleWindows().last();
            target = top->focusWidget() ? top->focusWidget() : top;
        }
        if (!target) return;
        QKeyEvent press(QEvent::KeyPress, k.key(), k.keyboardModifiers());
        QKeyEvent release(QEvent::KeyRelease, k.key(), k.keyboardModifiers());
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        return;
    }
    if (step.startsWith(QLatin1String("cell:"))) {
        const QStringList rc = step.split(QLatin1Char(':'));
        return clickCell(visibleWindows(), rc.value(1).toInt(), rc.value(2).toInt());
    }
    if (step.startsWith(QLatin1String("type:"))) {
        QWidget* target = QApplication::focusWidget();
        if (!target) return;
        for (QChar c : step.mid(5)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
        return;
    }
    QList<QWidget*> windows = visibleWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        for (QAbstractButton* b : (*it)->findChildren<QAbstractButton*>()) {
            if (!b->isVisible()) continue;
            if (b->objectName() == step || b->text().remove(QLatin1Char('&')) == step) {
                QTimer::singleShot(0, b, [b] { b->click(); });  // a click may open its own loop
                return;
            }
        }
    }
    std::fprintf(stderr, "screenshot: no control %s\n", qPrintable(step));
}

void grabAndQuit(const QString& file) {
    QList<QWidget*> windows = visibleWindows();
    QRect area;
    for (QWidget* w : windows)
        area |= w->frameGeometry();
    QImage image(area.size().isEmpty() ? QSize(1, 1) : area.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (QWidget* w : windows)
        p.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
    p.end();
    bool ok = image.save(file);
    std::fprintf(stderr, "screenshot: %s %s\n", qPrintable(file), ok ? "written" : "NOT written");
    std::fflush(nullptr);
    std::_Exit(ok ? 0 : 1);
}

}  // namespace

void scheduleScreenshot() {
    const QString settings = qEnvironmentVariable("VENDRIX_SCREENSHOT");
    if (settings.isEmpty()) return;
    gShowOrder = new ShowOrder;
    qApp->installEventFilter(gShowOrder);
    const QStringList parts = settings.split(QLatin1Char(','));
    const QString file = parts.value(0);
    const int delay = parts.value(1, QStringLiteral("1500")).toInt();
    const QStringList steps =
        parts.size() > 2 ? parts.mid(2).join(QLatin1Char(',')).split(QLatin1Char('+')) : QStringList();
    for (int i = 0; i < steps.size(); ++i)
        QTimer::singleShot(kStepMs * (i + 1), qApp, [s = steps[i]] { runStep(s); });
    QTimer::singleShot(delay, qApp, [file] { grabAndQuit(file); });
}

}  // namespace vx::app
