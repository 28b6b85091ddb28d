// The monitor against the simulated logger over a real pseudo-terminal, on the real clock:
// no line lost at a high rate with the export on, and a logger that goes away mid-monitor.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "monitor/monitor.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "shell/logger_modes.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace {

using namespace vx::monitor;

class MonitorLink : public vx::test::SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        Init_Datalogger();
    }
    void TearDown() override {
        closeExport();
        SimLoggerTest::TearDown();
    }
    // The simulated logger on a pty that closes when the device vanishes.
    bool connectClosing(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        if (!vx::sim::parseSimSettings(settings, o, err)) return ADD_FAILURE() << err, false;
        auto dev = vx::sim::makeDevice(o, err, &session);
        vx::sim::PtyServerConfig cfg;
        cfg.closeOnVanish = true;
        server = std::make_unique<vx::sim::PtyServer>(std::move(dev), cfg);
        if (!server->start(&err)) return ADD_FAILURE() << err, false;
        hCom = openPort(server->path().c_str());
        if (!hCom) return ADD_FAILURE() << "cannot open " << server->path(), false;
        initCOM(hCom);
        Timeout_rx = 300;
        return test_hCom(hCom) == 1;
    }
    bool readSession() {
        Flag.pages[0] = 0;
        Timeout_rx = 500;
        initSession(Flag.pages, nullptr);
        return Flag.table_error == 0;
    }
    // The monitor as its window runs it: a tick every 100 ms until `stop` says so, with an
    // export of a one-second period from the first tick.
    template <class Stop>
    void monitorUntil(Stop stop) {
        vx::shell::runMonitor(nullptr, [&] {
            initMonitor(nullptr, box);
            EXPECT_TRUE(setExportPeriod("1"));
            EXPECT_EQ(startExportTo("export.csv", nullptr), 1);
            auto next = std::chrono::steady_clock::now();
            while (!stop()) {
                next += std::chrono::milliseconds(100);
                std::this_thread::sleep_until(next);
                monitorTick();
            }
            MonitorClose how;
            how.readSession = false;
            if (exportRunning())
                ui.answer(vx::ui::Answer::Yes);  // "Data export file will be closed. Proceed ?"
            EXPECT_TRUE(closeMonitor(how));
        });
    }
    // The lines of export.csv, each checked whole: its line end, a field per channel.
    size_t exportLines() {
        const std::string csv = slurp("export.csv");
        size_t lines = 0;
        for (size_t p = 0, end; p < csv.size(); p = end + 2, ++lines) {
            end = csv.find("\r\n", p);
            if (end == std::string::npos) return ADD_FAILURE() << "a row without its end", lines;
            std::string_view l(csv.data() + p, end - p);
            EXPECT_EQ(size_t(std::count(l.begin(), l.end(), ';')), size_t(TotalLogicCh)) << l;
        }
        return lines;
    }
    uint64_t sentLines() {
        uint64_t n = 0;
        server->withDevice([&](vx::sim::Device& d) { n = vx::sim::findLogger(d)->monitorCounts().lines; });
        return n;
    }
    vx::ui::WindowHandle box = reinterpret_cast<vx::ui::WindowHandle>(0x401);
};

TEST_F(MonitorLink, NoLineLostAtTwoThousandLinesASecond) {
    ASSERT_TRUE(connect("qm41,seed=6,nodes=8,channels=8,mon-rate=2000,mon-unknown=0.05"));
    ASSERT_TRUE(readSession());
    int ticks = 0;
    monitorUntil([&] { return ++ticks > 30; });
    const MonitorStats& got = monitorStats();
    EXPECT_GT(got.lines, 1000u);
    EXPECT_EQ(got.lines, sentLines()) << "every line the logger sent was received";
    EXPECT_EQ(got.dropped, 0u);
    EXPECT_GT(got.exportValues, 0u);
    EXPECT_GE(exportLines(), 2u) << "the header and at least one row";
}

TEST_F(MonitorLink, LoggerThatGoesAwayIsReportedOnceAndTheExportKeepsItsRows) {
    ASSERT_TRUE(connectClosing("qm41,seed=2,nodes=3,mon-rate=200,vanish-nth=400,vanish-on=ATUC"));
    ASSERT_TRUE(readSession());
    int ticks = 0;
    monitorUntil([&] { return monitorLinkLost() || ++ticks > 100; });
    EXPECT_TRUE(monitorLinkLost());
    int reports = 0;
    for (const auto& m : ui.messages)
        reports += m.text.rfind("The datalogger is no longer connected", 0) == 0 && m.caption == "Com Error";
    EXPECT_EQ(reports, 1);
    EXPECT_GE(exportLines(), 2u) << "the rows before the logger went away";
}

}  // namespace
