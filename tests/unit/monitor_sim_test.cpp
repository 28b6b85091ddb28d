// The simulated logger's monitor mode against the program's monitor on the fake port's
// virtual clock: every line the logger sent is received and sorted as the logger made
// it, the stream holds while commands come, and "ATSTxxxx" changes the session's SaTmr.

#include <gtest/gtest.h>

#include "monitor_fixture.h"
#include "session/session_reader.h"
#include "shell/logger_modes.h"
#include "sim/options.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using namespace vx::monitor;

class MonitorSim : public MonitorTest {
  protected:
    vx::sim::LoggerDevice* start(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        EXPECT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        auto dev = vx::sim::makeDevice(o, err);
        vx::sim::LoggerDevice* logger = vx::sim::findLogger(*dev);
        port = std::make_unique<vx::sim::FakeSerialPort>(std::move(dev));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        EXPECT_EQ(Flag.table_error, 0);
        return logger;
    }
    // The monitor as the window runs it, for `ticks` ticks of 100 ms of virtual time.
    void monitorFor(int ticks) {
        vx::shell::runMonitor(nullptr, [&] {
            initMonitor(nullptr, box);
            for (int t = 0; t < ticks; ++t) {
                port->advanceMs(100);
                monitorTick();
            }
            MonitorClose how;
            how.readSession = false;
            closeMonitor(how);
        });
    }
};

TEST_F(MonitorSim, EveryLineSentIsReceivedAndSortedAsMade) {
    const struct {
        const char* settings;
    } cases[] = {
        {"qm41,seed=3,nodes=4,mon-rate=2000"},
        {"qm41,seed=5,nodes=7,channels=20,mon-rate=500,mon-unknown=0.2,mon-badcount=0.2,mon-lower=0.5"},
        {"qm43,seed=8,nodes=2,mon-rate=50,mon-broadcast=0.3,mon-test=0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        vx::sim::LoggerDevice* logger = start(c.settings);
        monitorFor(100);
        const vx::sim::MonitorCounts& sent = logger->monitorCounts();
        const MonitorStats& got = monitorStats();
        EXPECT_GT(sent.lines, 0u);
        EXPECT_FALSE(logger->monitoring());
        EXPECT_EQ(got.lines, sent.lines);
        EXPECT_EQ(got.dropped, 0u);
        EXPECT_EQ(got.broadcasts, sent.broadcast);
        EXPECT_EQ(got.tests, sent.test);
        EXPECT_EQ(got.dataSession, sent.sessionData());
        EXPECT_EQ(got.dataRaw, sent.unknown + sent.badCount);
        // One text line per packet line, none cut or merged (the temporary buffer's records
        // come first, each beginning with its time marker).
        const std::string text = shown(), packetTime = clockText(kNow) + ">> ";
        uint64_t packetLines = 0;
        for (size_t p = 0, end; (end = text.find("\r\n", p)) != std::string::npos; p = end + 2) {
            std::string_view l(text.data() + p, end - p);
            packetLines +=
                l.rfind("BC>> ", 0) == 0 || l.rfind("TEST>> ", 0) == 0 || l.rfind(packetTime, 0) == 0;
        }
        EXPECT_EQ(packetLines, sent.lines);
        clearShown();
    }
}

TEST_F(MonitorSim, StreamHoldsWhileCommandsComeAndStopsAtATCM08) {
    vx::sim::LoggerDevice* logger = start("qm41,seed=3,nodes=2,mon-rate=1000,mon-hold=250");
    ASSERT_EQ(sendCOMMAND(hCom, "ATCM07\r", 13), 1);
    EXPECT_EQ(std::string(rxText()), "OK");
    port->advanceMs(200);
    EXPECT_EQ(logger->monitorCounts().lines, 0u) << "no line within 250 ms of a command";
    ASSERT_EQ(sendCOMMAND(hCom, "ATOS\r", 13), 1);
    EXPECT_EQ(std::string(rxText()), "00") << "a reply comes alone";
    port->advanceMs(240);
    EXPECT_EQ(logger->monitorCounts().lines, 0u);
    port->advanceMs(20);
    EXPECT_GT(logger->monitorCounts().lines, 0u);
    port->advanceMs(1000);
    const uint64_t sent = logger->monitorCounts().lines;
    EXPECT_NEAR(double(sent), 1010.0, 5.0);
    ASSERT_EQ(sendCOMMAND(hCom, "ATCM08\r", 13), 1);
    port->advanceMs(5000);
    EXPECT_EQ(logger->monitorCounts().lines, sent);
}

TEST_F(MonitorSim, SampleTimerCommandChangesWhatTheSessionReports) {
    vx::sim::LoggerDevice* logger = start("qm41,seed=4,nodes=3,satmr=30,mon-rate=100,mon-broadcast=1");
    for (int k = 1; k <= TotalNodeNum; ++k)
        EXPECT_EQ(InfoFE[k].satmr, 30);
    const struct {
        const char* command;
        const char* reply;
        uint16_t satmr;
    } cases[] = {{"ATST0078\r", "OK", 120},
                 {"ATSTFFFF\r", "OK", 65535},
                 {"ATST0000\r", "OK", 30},
                 {"ATST78\r", "ERR", 30},
                 {"ATSTXYZW\r", "ERR", 30}};
    for (const auto& c : cases) {
        ASSERT_EQ(sendCOMMAND(hCom, c.command, 13), 1) << c.command;
        EXPECT_EQ(std::string(rxText()), c.reply) << c.command;
        ASSERT_EQ(initTabAss(), 1);
        for (int k = 1; k <= TotalNodeNum; ++k)
            EXPECT_EQ(InfoFE[k].satmr, c.satmr) << c.command;
    }
    ASSERT_EQ(sendCOMMAND(hCom, "ATST0078\r", 13), 1);
    EXPECT_EQ(logger->satmrSet(), 120);
    monitorFor(30);
    EXPECT_GT(monitorStats().broadcasts, 0u);
    EXPECT_NE(shown().find("BC>> NodeAd= "), std::string::npos);
    EXPECT_EQ(shown().find("SaTmr= 30 "), std::string::npos);
    EXPECT_NE(shown().find("SaTmr= 120 "), std::string::npos);
}

}  // namespace
}  // namespace vx::test
