#pragma once
// What the monitor's unit tests share: a session of hand-made nodes, a PC clock the test
// sets, the monitor box of the scripted backend, and a logger that sends what the test
// queues and answers commands from a table, on the fake port's virtual clock.

#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "monitor/monitor.h"
#include "session/memory_model.h"
#include "session/session_state.h"
#include "sim/fake_serial_port.h"
#include "support/fixtures.h"

namespace vx::test {

struct TestNode {
    uint8_t addr;
    std::vector<uint16_t> conf;  // quantity code in the low five bits; 0 starts a 32-bit pair
    uint16_t vbat = 360;
};

// Bytes queued by the test come out at their time; commands are answered from a table.
class StreamDevice : public vx::sim::Device {
  public:
    void at(int64_t ms, const std::string& bytes) { queue_.push_back({ms * 1000000, bytes}); }
    std::map<std::string, std::string> replies;  // command without CR -> reply line
    std::vector<std::string> commands;

    void receive(const uint8_t* data, size_t len, int64_t, vx::sim::Output& out) override {
        std::string cmd;
        for (size_t i = 0; i < len; ++i)
            if (splitter_.feed(data[i], cmd)) {
                commands.push_back(cmd);
                if (auto it = replies.find(cmd); it != replies.end()) out.line(it->second);
            }
    }
    int64_t nextEventNs() const override { return queue_.empty() ? vx::sim::kNever : queue_.front().first; }
    void tick(int64_t nowNs, vx::sim::Output& out) override {
        while (!queue_.empty() && queue_.front().first <= nowNs) {
            const std::string& b = queue_.front().second;
            out.raw(reinterpret_cast<const uint8_t*>(b.data()), b.size());
            queue_.pop_front();
        }
    }

  private:
    std::deque<std::pair<int64_t, std::string>> queue_;
    vx::sim::CommandSplitter splitter_;
};

class MonitorTest : public ProgramTest {
  protected:
    static constexpr std::time_t kNow = 1717400000;  // the PC clock unless a test moves it
    void SetUp() override {
        ProgramTest::SetUp();
        Init_Datalogger();
        now = kNow;
        vx::monitor::setPcClock([this] { return now; });
        vx::monitor::setMonitorBox(box);
    }
    void TearDown() override {
        vx::monitor::closeExport();
        vx::monitor::setPcClock(nullptr);
        hCom = nullptr;
        ProgramTest::TearDown();
    }

    // The session table of these nodes (started 240228_030405) decoded into InfoFE.
    static void loadSession(const std::vector<TestNode>& nodes) {
        std::vector<uint8_t> t = {0xFF, 3, 0, 0, 0, 0, 0, 0, 0x05, 0x04, 0x03, 0x28, 0x02, 0x24, 0, 0};
        auto put16 = [&t](unsigned v) {
            t.push_back(uint8_t(v));
            t.push_back(uint8_t(v >> 8));
        };
        for (const auto& n : nodes) {
            t.push_back(n.addr);
            t.push_back(uint8_t(n.conf.size()));
            put16(60);
            for (uint16_t w : n.conf)
                put16(w);
            put16(n.vbat);
        }
        t[2] = uint8_t(t.size()), t[3] = uint8_t(t.size() >> 8);
        std::memset(TabAss, 0, sizeof TabAss);
        std::memcpy(TabAss, t.data(), t.size());
        ASSERT_EQ(vx::session::decodeTabAss(), vx::session::TableStatus::Ok);
        vx::session::sessionStartText(TabAss, DataTimeSS);
    }

    // The port to a StreamDevice (kept by the test through `device`).
    void connectStream() {
        auto d = std::make_unique<StreamDevice>();
        device = d.get();
        port = std::make_unique<vx::sim::FakeSerialPort>(std::move(d));
        hCom = port.get();
        Timeout_rx = Timeout_rx_def = TO_RX_SLOW;
    }

    std::string shown() { return ui.texts[box]; }
    void clearShown() { ui.texts[box].clear(); }
    static std::string clockText(std::time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char b[16];
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
        return b;
    }

    vx::ui::WindowHandle box = reinterpret_cast<vx::ui::WindowHandle>(0x401);
    std::time_t now = kNow;
    StreamDevice* device = nullptr;
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

}  // namespace vx::test
