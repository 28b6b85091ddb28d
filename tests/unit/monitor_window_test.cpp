// The monitor window's procedures: the timer (a batch every 11th tick, nothing while the
// link is busy), "Display Channels" by the operating state, "Save" into QM41mon.txt, the
// close with the export question, and the text kept within the box's limit.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/transaction.h"
#include "monitor_fixture.h"

namespace vx::test {
namespace {

using namespace vx::monitor;
namespace fs = std::filesystem;

class MonitorWindow : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        loadSession({{5, {0x0001}}});
        connectStream();
        device->replies["ATRB"] = "0000";
        device->replies["ATCM08"] = "OK";
        ASSERT_EQ(initMonitor(reinterpret_cast<vx::ui::WindowHandle>(0x400), box), 1);
        EXPECT_EQ(ui.waitTexts, std::vector<std::string>{"Reading data from buffer..."});
    }
    std::string line(int n) const {
        return clockText(now) + ">> CH5_1= " + std::to_string(n) + ".00 Tboard= 20.0 Vbat= 29.00\r\n";
    }
};

TEST_F(MonitorWindow, TimerRunsABatchEveryEleventhTickAndWaitsForABusyLink) {
    device->at(0, "ATUC05006400C80B54\r");
    for (int t = 1; t <= 10; ++t)
        monitorTick();
    EXPECT_EQ(shown(), "") << "no batch before the 11th tick";
    monitorTick();
    EXPECT_EQ(shown(), line(1));

    device->at(0, "ATUC0500C800C80B54\r");
    {
        vx::link::LinkBusy busy;  // a procedure is using the link: the ticks do nothing
        for (int t = 0; t < 30; ++t)
            monitorTick();
    }
    for (int t = 1; t <= 10; ++t)
        monitorTick();
    EXPECT_EQ(shown(), line(1));
    monitorTick();
    EXPECT_EQ(shown(), line(1) + line(2));
}

TEST_F(MonitorWindow, DisplayChannelsNeedsRecordingOrPause) {
    const struct {
        const char* reply;  // nullptr: no reply
        bool allowed;
        const char* message;
    } cases[] = {
        {"05", true, nullptr},
        {"06", true, nullptr},
        {"00", false, "This function requires the datalogger in RECORDING mode"},
        {"ERR", false, "This function requires the datalogger in RECORDING mode"},
        {nullptr, false, "Unable to read the current operating status of the datalogger"},
    };
    Timeout_rx_def = 200;
    for (const auto& c : cases) {
        ui.messages.clear();
        if (c.reply)
            device->replies["ATOS"] = std::string("ATUC05006400C80B54\r") + c.reply;  // a packet comes first
        else
            device->replies.erase("ATOS");
        clearShown();
        EXPECT_EQ(displayChannels(nullptr), c.allowed) << (c.reply ? c.reply : "none");
        if (c.message) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(ui.messages[0].caption, c.reply ? "Warning" : "Com Error");
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        EXPECT_EQ(shown(), c.reply ? line(1) : "") << "the packet before the reply is shown";
    }
    EXPECT_EQ(Timeout_rx, 200);
}

TEST_F(MonitorWindow, CloseAsksBeforeClosingTheExport) {
    char tmpl[] = "/tmp/vxmonXXXXXX";
    fs::path dir = mkdtemp(tmpl);
    ASSERT_EQ(startExportTo((dir / "e.csv").string(), nullptr), 1);
    clickChannelCell(0, 2);
    MonitorClose how;
    how.readSession = false;
    ui.answer(vx::ui::Answer::No);
    EXPECT_FALSE(closeMonitor(how));
    EXPECT_TRUE(exportRunning());
    EXPECT_TRUE(monitorOpen());
    ui.answer(vx::ui::Answer::Yes);
    device->at(0, "ATUC05006400C80B54\r");  // still waiting when the monitor closes: shown
    EXPECT_TRUE(closeMonitor(how));
    EXPECT_EQ(ui.messages.back().text, "Data export file will be closed. Proceed ?");
    EXPECT_EQ(ui.messages.back().caption, "Warning");
    EXPECT_FALSE(exportRunning());
    EXPECT_FALSE(monitorOpen());
    EXPECT_EQ(InfoSELCH.ncsel, 0u);
    EXPECT_EQ(hDlgMls, nullptr);
    EXPECT_EQ(device->commands.back(), "ATCM08");
    EXPECT_EQ(shown(), line(1));
    EXPECT_EQ(Timeout_rx, TO_RX_SLOW);
    fs::remove_all(dir);
}

TEST_F(MonitorWindow, SavedFileHasEveryLineWithItsEnd) {
    const struct {
        std::string text, bytes;
    } cases[] = {
        {"", ""},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {std::string(2500, 'x') + "\r\ny", std::string(2000, 'x') + "\r\ny\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(monitorFileBytes(c.text), c.bytes);

    char tmpl[] = "/tmp/vxmonXXXXXX";
    fs::path dir = mkdtemp(tmpl), old = fs::current_path();
    fs::current_path(dir);
    ui.answer(vx::ui::Answer::No);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\n"), 0);
    EXPECT_FALSE(fs::exists("QM41mon.txt"));
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\nb\r\n"), 1);
    std::ifstream f("QM41mon.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}), "a\r\nb\r\n");
    EXPECT_EQ(ui.messages[0].text, "Save window data to file QM41mon.txt ?");
    EXPECT_EQ(ui.messages[0].caption, "Question");

    // A folder of that name: the file cannot be written, and the user is told.
    fs::remove("QM41mon.txt");
    fs::create_directory("QM41mon.txt");
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\n"), 0);
    EXPECT_EQ(ui.messages.back().caption, "File Error");
    EXPECT_EQ(ui.messages.back().text.rfind("QM41mon.txt can not be written !", 0), 0u);
    fs::current_path(old);
    fs::remove_all(dir);
}

TEST(MonitorTextLimit, KeepsTheNewestWholeLinesWithinTheLimit) {
    MonitorText t(100);
    std::string all;
    for (int i = 0; i < 40; ++i) {
        std::string line = "line " + std::to_string(i) + "\r\n";
        t.append(line);
        all += line;
        std::string_view v = t.view();
        EXPECT_LE(v.size(), 100u);
        EXPECT_EQ(all.substr(all.size() - v.size()), v) << "the newest text";
        EXPECT_TRUE(v.size() == all.size() || all[all.size() - v.size() - 1] == '\n') << "from a line start";
    }
    EXPECT_EQ(t.appended(), all.size());
    // Past the limit and its slack the text held stays bounded.
    MonitorText big(1000);
    for (int i = 0; i < 100000; ++i)
        big.append("0123456789abcdef\r\n");
    EXPECT_LE(big.view().size(), 1000u);
    EXPECT_EQ(big.appended(), 1800000u);
}

}  // namespace
}  // namespace vx::test
