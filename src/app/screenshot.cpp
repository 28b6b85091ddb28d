#include "app/screenshot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace vx::app {
namespace {

constexpr int kStepMs = 400;

QList<QWidget*> visibleWindows() {
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized()) list << w;
    // Owners before the windows they own (the main window itself runs modally, so
    // modality alone does not tell the order they lie in).
    auto depth = [](QWidget* w) {
        int d = 0;
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            ++d;
        return d;
    };
    std::stable_sort(list.begin(), list.end(), [&](QWidget* a, QWidget* b) {
        int da = depth(a), db = depth(b);
        return da != db ? da < db : (!a->isModal() && b->isModal());
    });
    return list;
}

void runStep(const QString& step) {
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
