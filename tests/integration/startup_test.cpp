// The start-up roads with fake windows, and the automatic port scan over real ptys.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "session/session_state.h"
#include "shell/port_scan.h"
#include "shell/startup.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "support/pty_peer.h"
#include "support/sim_logger.h"

using vx::test::PtyPeer;

namespace {

std::string loggerReply(const std::string& c) {
    if (c == "***" || c == "ATCM08\r" || c == "ATCM00\r") return "OK\r";
    return c == "ATVR\r" ? "0020\r" : c == "ATZ\r" ? "0\r" : "";
}

// Fake windows that record the order they were run in.
struct Calls {
    std::vector<std::string> order;
    vx::shell::StartupWindows windows(int portSelectionResult = 0) {
        vx::shell::StartupWindows w;
        auto window = [this](const char* name, int result) {
            return [this, name, result] { return order.push_back(name), result; };
        };
        w.portSelection = window("ports", portSelectionResult);
        w.quickMode = window("quick", 7);
        w.remote = window("remote", 1);
        w.loader = window("loader", 5);
        w.mainWindow = window("main", 1);
        return w;
    }
};

using StartupTest = vx::test::SimLoggerTest;  // in a scratch folder of its own

TEST_F(StartupTest, EachRoadEndsInItsWindowOrMessage) {
    PtyPeer silent;
    PtyPeer boot([](const std::string& c) { return c == "***" ? std::string("\x12\xB0", 2) : ""; });
    using vx::ui::Icon;
    struct Case {
        const char* what;
        std::string args;
        int portSelection, result;
        std::vector<std::string> order;
        const char *text = nullptr, *caption = nullptr;  // the one message shown, if any
        Icon icon = Icon::Error;
    };
    const Case cases[] = {
        // clang-format off
        {"no device on the port", "-p" + silent.path() + " -t100", 0, 0, {},
         "Device not found !\r\n\r\n(BaudRate= 256000)", "COM Error"},
        {"no modem on the port", "-m -p" + silent.path() + " -t100", 0, 0, {},
         "Modem not found !\r\n\r\n(BaudRate= 19200)", "COM Error"},
        {"boot loader", "-p" + boot.path() + " -t500", 0, 5, {"loader"}},
        {"data file", "\"old session.bin\"", 0, 0, {"quick"}},
        {"no port chosen", "", 1, 0, {"ports"}},
        {"port chosen", "", 2, 1, {"ports", "main"}},
        {"port that cannot be opened", "-p/dev/serial/by-id/usb-vx-none", 1, 0, {"ports"},
         "COM port can not be opened /dev/serial/by-id/usb-vx-none !\r\nAn automatic COM scan will be executed"
         "\r\n\r\nno such port: /dev/serial/by-id/usb-vx-none",
         "Warning", Icon::Warning},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        Calls calls;
        EXPECT_EQ(vx::shell::runStartup(c.args.c_str(), calls.windows(c.portSelection)), c.result);
        EXPECT_EQ(calls.order, c.order);
        EXPECT_EQ(hCom, nullptr);
        ASSERT_EQ(ui.messages.size(), c.text ? 1u : 0u);
        if (c.text) {
            EXPECT_EQ(ui.messages[0].text, c.text);
            EXPECT_EQ(ui.messages[0].caption, c.caption);
            EXPECT_EQ(ui.messages[0].icon, c.icon);
        }
    }
}

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
    EXPECT_EQ(vx::shell::runStartup(("-b9600 -p" + peer.path() + " -t500").c_str(), w), 1);
    EXPECT_EQ(calls.order, std::vector<std::string>{"main"});
    EXPECT_EQ(BR_value, 9600u);
    EXPECT_EQ(hCom, nullptr);
    EXPECT_TRUE(std::filesystem::exists("261206_101500"));  // the download is kept
    EXPECT_EQ(peer.commands().front(), "ATVR\r");           // the -p switch asks for the version at once
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartupTest, ModemRoadSendsATZAndSavesOnlyANumberItsWindowLoaded) {
    PtyPeer peer(
        [](const std::string& c) { return c == "ATV0\r" || c == "ATZ\r" ? std::string("0\r") : ""; });
    const std::string cmd = "-m -p" + peer.path() + " -t500";
    auto farlinks = [] {
        std::ifstream f("Farlinks.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    Calls calls;
    auto w = calls.windows();
    w.remote = [&] {
        calls.order.push_back("remote");
        std::snprintf(reinterpret_cast<char*>(Ntel), 16, "0123456789");
        return 1;
    };
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 1);
    EXPECT_EQ(calls.order, std::vector<std::string>{"remote"});
    EXPECT_EQ(peer.commands().back(), "ATZ\r");
    EXPECT_EQ(farlinks(), "Ntel=0123456789\r\n");

    // A remote window that could not run leaves the user's number as it was.
    w.remote = [] { return vx::shell::kWindowNotRun; };
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 0);
    EXPECT_EQ(peer.commands().back(), "ATZ\r");
    EXPECT_EQ(farlinks(), "Ntel=0123456789\r\n");

    // The close box on a standing call: hung up before the reset.
    w.remote = [] { return Stato_OPM = 2, 1; };
    EXPECT_EQ(vx::shell::runStartup(cmd.c_str(), w), 1);
    const auto& sent = peer.commands();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(sent.end() - 3, sent.end()),
              (std::vector<std::string>{"+++", "ATH\r", "ATZ\r"}));
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
    unsetenv("VENDRIX_PORTS");
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
