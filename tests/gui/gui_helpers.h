#pragma once
// Helpers of the window tests: controls by object name, modal windows answered from inside
// their loops, simulated devices on pseudo-terminals, the messages shown, and the fixture
// of the desktop backend.

#include <gtest/gtest.h>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/options.h"
#include "sim/pty_server.h"
#include "support/sim_logger.h"
#include "ui/qt/qt_backend.h"
#include "ui/wait_window.h"

namespace vx::test {

template <class W = QWidget>
W* control(QWidget* window, const char* name) {
    W* w = window->findChild<W*>(QString::fromLatin1(name));
    if (!w) ADD_FAILURE() << "no control " << name;
    return w;
}

// Runs `action` on the next modal window of type W once it is open (from inside the
// modal loop that shows it), looking every 5 ms, a thousand times at most.
template <class W>
void whenModal(std::function<void(W*)> action, int looksLeft = 1000) {
    QTimer::singleShot(looksLeft == 1000 ? 0 : 5, [action, looksLeft] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget()); w && w->isVisible())
            return action(w);
        if (looksLeft == 0) return void(ADD_FAILURE() << "no modal window came");
        whenModal<W>(action, looksLeft - 1);
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

// A message box of the scripted backend: text, caption and icon.
struct Msg {
    std::string text, caption;
    vx::ui::Icon icon;
    bool operator==(const Msg&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const Msg& m) {
    return o << '"' << m.text << "\" (" << m.caption << ", icon " << int(m.icon) << ')';
}
inline std::vector<Msg> shown(const vx::ui::ScriptedBackend& ui) {
    std::vector<Msg> v;
    for (const auto& m : ui.messages)
        v.push_back({m.text, m.caption, m.icon});
    return v;
}

// The desktop backend installed as the program installs it; no wait window left open.
class QtBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initVAR();
        backend_ = &vx::ui::qt::installQtBackend();
    }
    void TearDown() override {
        Close_wait_msg();
        vx::ui::setBackend(nullptr);
    }
    vx::ui::qt::QtBackend* backend_ = nullptr;
};

}  // namespace vx::test
