#pragma once
// Helpers of the window tests: controls by object name, answers to the real modal boxes
// of the desktop backend, and simulated devices on pseudo-terminals.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "sim/options.h"
#include "sim/pty_server.h"

namespace vx::test {

template <class W = QWidget>
W* control(QWidget* window, const char* name) {
    W* w = window->findChild<W*>(QString::fromLatin1(name));
    if (!w) ADD_FAILURE() << "no control " << name;
    return w;
}

// Runs `action` on the next modal window of type W once it is open (from inside the
// modal loop that shows it), polling every 5 ms for up to 5 s.
template <class W>
void whenModal(std::function<void(W*)> action) {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action, timer, poll] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            action(w);
            *poll = nullptr;  // the closure may go now
            return;
        }
        if (timer->elapsed() > 5000) {
            ADD_FAILURE() << "no modal window came";
            return;
        }
        QTimer::singleShot(5, [poll] {
            if (*poll) (*poll)();
        });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

// A box seen by answerBox.
struct SeenBox {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
};

// Clicks `button` on the next message box and records what it said.
inline void answerBox(QMessageBox::StandardButton button, SeenBox* seen = nullptr) {
    whenModal<QMessageBox>([button, seen](QMessageBox* box) {
        if (seen) *seen = {box->text(), box->windowTitle(), box->icon(), true};
        QAbstractButton* b = box->button(button);
        if (!b) {
            ADD_FAILURE() << "box without the button: " << box->text().toStdString();
            b = box->buttons().value(0);
        }
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

// A simulated device on a pseudo-terminal ("silent", "qm41,fw=18", ...).
inline std::unique_ptr<vx::sim::PtyServer> startDevice(const std::string& settings) {
    vx::sim::Options o;
    std::string err;
    if (!vx::sim::parseSimSettings(settings, o, err)) return ADD_FAILURE() << err, nullptr;
    auto dev = vx::sim::makeDevice(o, err);
    if (!dev) return ADD_FAILURE() << err, nullptr;
    vx::sim::PtyServerConfig cfg;
    cfg.baud = o.baud;
    auto server = std::make_unique<vx::sim::PtyServer>(std::move(dev), cfg);
    if (!server->start(&err)) return ADD_FAILURE() << err, nullptr;
    return server;
}

// The lamp colour of a label, as "red", "green" or "none" (the dialog background).
inline std::string lampColour(QWidget* lamp, QWidget* dialog) {
    QColor c = lamp->palette().color(QPalette::Window);
    if (c == QColor(255, 0, 0)) return "red";
    if (c == QColor(0, 255, 0)) return "green";
    if (c == dialog->palette().color(QPalette::Window)) return "none";
    return c.name().toStdString();
}

}  // namespace vx::test
