// vendrix-bench-gui: figures of the desktop windows against the simulated logger at
// 256000 baud, on the offscreen platform.
//  - start-up to the main window shown with its report: wall time, the wire time of the
//    bytes that crossed the simulated line, and the program thread's own CPU time;
//  - Stop during a download from the main window: the longest gap between two polls of
//    the wait window (how late a click can be seen) plus the time from the confirmed
//    Stop to the end of the procedure.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "link/com.h"
#include "shell/startup.h"
#include "shell/windows/main_window.h"
#include "shell/windows/port_selection.h"
#include "sim/options.h"
#include "sim/pty_server.h"
#include "ui/qt/qt_backend.h"

namespace {

using namespace vx::bench;

std::unique_ptr<vx::sim::PtyServer> serve(const std::string& settings) {
    vx::sim::Options o;
    std::string err;
    if (!vx::sim::parseSimSettings(settings, o, err)) return nullptr;
    auto dev = vx::sim::makeDevice(o, err);
    vx::sim::PtyServerConfig cfg;
    cfg.baud = o.baud;
    cfg.mode = o.mode;
    auto s = std::make_unique<vx::sim::PtyServer>(std::move(dev), cfg);
    return s->start(&err) ? std::move(s) : nullptr;
}

// Clicks `button` on the next message box, from inside its modal loop.
void answerNextBox(QMessageBox::StandardButton button, double* when = nullptr) {
    QTimer::singleShot(1, [button, when] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (when) *when = wallSeconds();
            box->button(button)->click();
        } else {
            answerNextBox(button, when);
        }
    });
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchStartup() {
    constexpr double kHandshakePause = 0.200;  // the identification's documented pause
    std::vector<double> wall, wire, own, cpu;
    for (int run = 0; run < 5; ++run) {
        auto sim = serve("qm41,baud=256000,nodes=4,pages=20");
        if (!sim) return std::puts("gui startup: simulator failed"), void();
        std::string cmd = "-p" + sim->path();
        double t0 = wallSeconds(), c0 = threadCpuSeconds(), t1 = 0, c1 = 0;
        vx::shell::StartupWindows w;
        w.mainWindow = [&] {
            vx::shell::MainWindow mw;
            mw.openSequence();
            mw.show();
            QApplication::processEvents();
            t1 = wallSeconds();
            c1 = threadCpuSeconds();
            return 1;
        };
        vx::shell::runStartup(cmd.c_str(), w);
        double wireS = double(sim->wireTimeNs()) / 1e9;
        wall.push_back(t1 - t0);
        wire.push_back(wireS);
        own.push_back(t1 - t0 - wireS - kHandshakePause);
        cpu.push_back(c1 - c0);
        sim->stop();
    }
    figure("gui start-up to main window, wall", median(wall) * 1e3, "ms", "-", true);
    figure("gui start-up, wire time of the bytes exchanged", median(wire) * 1e3, "ms", "-", true);
    figure("gui start-up, wall minus wire and the 200 ms handshake pause", median(own) * 1e3, "ms", "-",
           true);
    figure("gui start-up, program thread CPU", median(cpu) * 1e3, "ms", "-", true);
}

void benchStop() {
    constexpr double kPageWire = 528.0 * 10 / 256000;  // one streamed page at 256000 baud
    std::vector<double> gaps, ends;
    for (int run = 0; run < 5; ++run) {
        auto sim = serve("qm41,baud=256000,nodes=4,pages=400");
        if (!sim) return std::puts("gui stop: simulator failed"), void();
        hCom = openPort(sim->path().c_str());
        initCOM(hCom);
        Timeout_rx = 2000;
        test_hCom(hCom);
        vx::shell::MainWindowLinks links;  // no window of its own opens
        links.postProcessing = [](QWidget*) {};
        vx::shell::MainWindow mw(links);
        mw.openSequence();
        mw.show();
        std::vector<double> polls;
        QTimer pollProbe;  // a zero timer fires once per event-processing pass, i.e. per poll
        QObject::connect(&pollProbe, &QTimer::timeout, [&] { polls.push_back(wallSeconds()); });
        pollProbe.start(0);
        double yesAt = 0, doneAt = 0;
        QTimer::singleShot(300 + 37 * run, [&] {
            auto* wait = vx::ui::qt::installQtBackend().waitDialog();
            if (!wait) return;
            answerNextBox(QMessageBox::Yes, &yesAt);  // "Abandon the current operation ?"
            answerNextBox(QMessageBox::Ok, &doneAt);  // "Download procedure was not completed !"
            wait->findChild<QPushButton*>(QStringLiteral("ID_BTN_PROGESC"))->click();
        });
        mw.findChild<QPushButton*>(QStringLiteral("ID_BTN_START"))->click();
        pollProbe.stop();
        double gap = 0;
        for (size_t i = 1; i < polls.size(); ++i)
            gap = std::max(gap, polls[i] - polls[i - 1]);
        gaps.push_back(gap);
        ends.push_back(doneAt > yesAt && yesAt > 0 ? doneAt - yesAt : -1);
        closePort(hCom);
        hCom = nullptr;
        sim->stop();
    }
    double worst = *std::max_element(gaps.begin(), gaps.end()) + *std::max_element(ends.begin(), ends.end());
    figure("gui stop: longest gap between wait-window polls",
           *std::max_element(gaps.begin(), gaps.end()) * 1e3, "ms", "-", true);
    figure("gui stop: confirmed Stop to end of download", *std::max_element(ends.begin(), ends.end()) * 1e3,
           "ms", "-", true);
    figure("gui stop: worst click-to-stopped", worst * 1e3, "ms", "<= 100 ms + one page transaction",
           worst <= 0.100 + kPageWire + 0.005);
}

}  // namespace

namespace vx::bench {
void benchGraphWindow();  // gui_graph_bench.cpp
void benchTableWindow();  // gui_table_bench.cpp
}  // namespace vx::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // "graphs": only the real-time graphs in the plot window (vendrix-bench monitor asks for them).
    if (argc > 1 && std::string(argv[1]) == "graphs") {
        benchGraphWindow();
        return 0;
    }
    // "table": only the post-processing window (vendrix-bench table asks for it).
    if (argc > 1 && std::string(argv[1]) == "table") {
        benchTableWindow();
        return 0;
    }
    vx::ui::qt::installQtBackend();
    benchStartup();
    benchStop();
    return 0;
}
