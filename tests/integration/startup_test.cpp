// The start-up roads with fake windows, and the automatic port scan over real ptys.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "link/com.h"
#include "link/modem_ini.h"
#include "session/session_state.h"
#include "shell/port_scan.h"
#include "shell/startup.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "support/pty_peer.h"

using vx::test::PtyPeer;

namespace {

std::string loggerReply(const std::string& c) {
    static const std::map<std::string, std::string> r = {
        {"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "OK\r"}, {"ATVR\r", "0020\r"}, {"ATZ\r", "0\r"}};
    auto it = r.find(c);
    return it == r.end() ? std::string() : it->second;
}

struct Calls {
    std::vector<std::string> order;
    vx::shell::StartupWindows windows(int portSelectionResult = 0) {
        vx::shell::StartupWindows w;
        w.portSelection = [this, portSelectionResult] {
            order.push_back("ports");
            return portSelectionResult;
        };
        w.quickMode = [this] { return order.push_back("quick"), 7; };
        w.remote = [this] { return order.push_back("remote"), 1; };
        w.loader = [this] { return order.push_back("loader"), 5; };
        w.mainWindow = [this] {
            order.push_back("main");
            return 1;
        };
        return w;
    }
};

class StartupTest : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxstartXXXXXX";
        dir_ = mkdtemp(tmpl);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        unsetenv("VENDRIX_PORTS");
        ProgramTest::TearDown();
    }
    std::string dir_;
    std::filesystem::path old_;
};

TEST_F(StartupTest, NamedPortWithDeviceRunsTheMainWindowThenCleansUp) {
    PtyPeer peer(loggerReply);
    Calls calls;
    auto w = calls.windows();
    w.mainWindow = [&] {
        calls.order.push_back("main");
        EXPECT_EQ(Timeout_rx, 500);
        std::snprintf(DataTimeSS, sizeof DataTimeSS, "261206_101500");
        std::ofstream(DataTimeSS) << "table";
        return 1;
    };
    std::string cmd = "-b9600 -p" + peer.path() + " -t500";
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 1);
    EXPECT_EQ(calls.order, std::vector<std::string>{"main"});
    EXPECT_EQ(BR_value, 9600u);
    EXPECT_EQ(hCom, nullptr);
    EXPECT_TRUE(std::filesystem::exists("261206_101500"));  // the download is kept
    EXPECT_EQ(peer.commands().front(), "ATVR\r");           // the -p switch asks for the version at once
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartupTest, NamedPortWithoutDeviceEndsWithTheBaudRateInTheMessage) {
    PtyPeer peer;
    Calls calls;
    std::string cmd = "-p" + peer.path() + " -t100";
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), calls.windows()), 0);
    EXPECT_TRUE(calls.order.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Device not found !\r\n\r\n(BaudRate= 256000)");
    EXPECT_EQ(ui.messages[0].caption, "COM Error");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Error);
}

TEST_F(StartupTest, ModemRoadSendsATZAndRemembersTheNumber) {
    PtyPeer peer(
        [](const std::string& c) { return c == "ATV0\r" || c == "ATZ\r" ? std::string("0\r") : ""; });
    Calls calls;
    auto w = calls.windows();
    w.remote = [&] {
        calls.order.push_back("remote");
        std::snprintf(reinterpret_cast<char*>(Ntel), 16, "0123456789");
        return 1;
    };
    std::string cmd = "-m -p" + peer.path() + " -t500";
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 1);
    EXPECT_EQ(calls.order, std::vector<std::string>{"remote"});
    EXPECT_EQ(peer.commands().back(), "ATZ\r");
    std::ifstream f("Farlinks.ini", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(content, "Ntel=0123456789\r\n");

    // A remote window that could not run leaves the user's number as it was.
    initVAR();
    w.remote = [] { return vx::shell::kWindowNotRun; };
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 0);
    EXPECT_EQ(peer.commands().back(), "ATZ\r");
    std::ifstream again("Farlinks.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), "Ntel=0123456789\r\n");
}

TEST_F(StartupTest, ModemNotAnsweringSaysModemNotFound) {
    PtyPeer peer;
    Calls calls;
    std::string cmd = "-m -p" + peer.path() + " -t100";
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), calls.windows()), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Modem not found !\r\n\r\n(BaudRate= 19200)");
}

TEST_F(StartupTest, BootLoaderRoadRunsTheLoader) {
    PtyPeer peer([](const std::string& c) { return c == "***" ? std::string("\x12\xB0", 2) : ""; });
    Calls calls;
    std::string cmd = "-p" + peer.path() + " -t500";
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), calls.windows()), 5);
    EXPECT_EQ(calls.order, std::vector<std::string>{"loader"});
}

TEST_F(StartupTest, DataFileOpensTheQuickModeAndEndsWithZero) {
    Calls calls;
    EXPECT_EQ(vx::shell::runStartup("\"old session.bin\"", calls.windows()), 0);
    EXPECT_EQ(calls.order, std::vector<std::string>{"quick"});
    EXPECT_STREQ(Data_file, "old session.bin");
}

TEST_F(StartupTest, PortSelectionDecides) {
    Calls none;
    EXPECT_EQ(vx::shell::runStartup("", none.windows(1)), 0);
    EXPECT_EQ(none.order, std::vector<std::string>{"ports"});
    Calls found;
    EXPECT_EQ(vx::shell::runStartup("", found.windows(2)), 1);
    EXPECT_EQ(found.order, (std::vector<std::string>{"ports", "main"}));
}

TEST_F(StartupTest, UnopenablePortFallsBackToThePortSelection) {
    Calls calls;
    EXPECT_EQ(vx::shell::runStartup("-p/dev/vx-missing", calls.windows(1)), 0);
    EXPECT_EQ(calls.order, std::vector<std::string>{"ports"});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Warning");
}

TEST_F(StartupTest, ScanFindsTheDeviceOnTheThirdPortAndGivesTheOthersBack) {
    PtyPeer silent1, silent2, device(loggerReply);
    std::string list = silent1.path() + ":/dev/vx-missing:" + silent2.path() + ":" + device.path();
    setenv("VENDRIX_PORTS", list.c_str(), 1);
    auto names = vx::shell::scanPortList();
    ASSERT_EQ(names.size(), 4u);
    Timeout_rx = 300;  // the scan's 100 ms, with room for a busy machine
    EXPECT_EQ(vx::shell::autoScanPorts(names), 1);
    std::vector<std::string> tried;
    for (const auto& p : Porte)
        tried.push_back(p.name);
    EXPECT_EQ(tried, (std::vector<std::string>{silent1.path(), silent2.path(), device.path()}));
    EXPECT_EQ(Nport, 3);
    EXPECT_STREQ(CommPort, device.path().c_str());
    EXPECT_EQ(Timeout_rx, TO_RX_SLOW);
    EXPECT_EQ(silent1.commands(), std::vector<std::string>{"***"});
    // The silent ports were closed: they can be opened again.
    PortHandle again = openPort(silent1.path().c_str());
    EXPECT_NE(again, nullptr);
    closePort(again);
    closePort(hCom);
    hCom = nullptr;
}

TEST_F(StartupTest, ScanWithNothingAnsweringListsThePortsAndSetsTheLongTimeOut) {
    PtyPeer a, b;
    setenv("VENDRIX_PORTS", (a.path() + ":" + b.path()).c_str(), 1);
    TMO_value = 700;
    EXPECT_EQ(vx::shell::autoScanPorts(vx::shell::scanPortList()), 0);
    EXPECT_EQ(Nport, 2);
    EXPECT_EQ(Timeout_rx, 700);
    EXPECT_EQ(hCom, nullptr);
}

TEST_F(StartupTest, ManualChoiceFailureShowsComError) {
    Timeout_rx = 100;
    EXPECT_EQ(vx::shell::tryPortManually("/dev/vx-missing", nullptr), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    // The documented text, and why the port could not be tried.
    EXPECT_EQ(ui.messages[0].text,
              "Device not found !\r\n\r\n(BaudRate= 256000)\r\n\r\nno such port: /dev/vx-missing");
    EXPECT_EQ(ui.messages[0].caption, "COM Error");
}

}  // namespace
