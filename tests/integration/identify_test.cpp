// The identification handshake against scripted devices on a real pseudo-terminal.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "link/com.h"
#include "state/flags.h"
#include "shell/startup_state.h"
#include "support/fixtures.h"
#include "support/pty_peer.h"

using vx::test::PtyPeer;

namespace {

// A device that answers each command from a table ("" for silence).
PtyPeer::Responder table(std::map<std::string, std::string> replies) {
    return [replies](const std::string& c) {
        auto it = replies.find(c);
        return it == replies.end() ? std::string() : it->second;
    };
}

std::map<std::string, std::string> logger(const std::string& version) {
    return {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "OK\r"}, {"ATVR\r", version + "\r"}};
}

class IdentifyTest : public vx::test::ProgramTest {
  protected:
    int32_t identify(PtyPeer& peer) {
        hCom = openPort(peer.path().c_str());
        EXPECT_NE(hCom, nullptr);
        initCOM(hCom);
        return test_hCom(hCom);
    }
    void TearDown() override {
        closePort(hCom);
        hCom = nullptr;
        ProgramTest::TearDown();
    }
};

struct VersionCase {
    const char* reply;
    uint8_t hw;
    uint16_t fw;
    int vt71, nod85, qm42, qm43;
    const char* release;
};

// Replies come at once here; the longer time-out only keeps a busy machine from failing
// the tests whose device does answer.
constexpr int32_t kAnsweringTimeout = 500;

TEST_F(IdentifyTest, VersionReplySetsIdentity) {
    const VersionCase cases[] = {
        {"0019", '0', 0x19, 0, 0, 0, 0, "0019"}, {"B012", 'B', 0x12, 0, 0, 1, 1, "B012"},
        {"7020", '7', 0x20, 0, 0, 1, 0, "7020"}, {"5016", '5', 0x16, 1, 0, 0, 0, "5016"},
        {"8021", '8', 0x21, 0, 1, 0, 0, "8021"}, {"0a1fXYZ", '0', 0x1F, 0, 0, 0, 0, "0a1f"},
        {"3", '3', 0x00, 0, 0, 0, 0, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        initVAR();
        Timeout_rx = kAnsweringTimeout;
        PtyPeer peer(table(logger(c.reply)));
        EXPECT_EQ(identify(peer), 1);
        EXPECT_EQ(Datalogger.hw, c.hw);
        EXPECT_EQ(Datalogger.fw, c.fw);
        EXPECT_EQ(Flag.VT71, c.vt71);
        EXPECT_EQ(Flag.NOD85, c.nod85);
        EXPECT_EQ(Flag.QM42, c.qm42);
        EXPECT_EQ(Flag.QM43, c.qm43);
        EXPECT_STREQ(FW_release, c.release);
        closePort(hCom);
        hCom = nullptr;
    }
}

TEST_F(IdentifyTest, VT71LeavesEarlierQM42FlagAndClearsNothingElse) {
    Flag.QM42 = 1;
    Flag.VT71 = 1;
    Timeout_rx = kAnsweringTimeout;
    PtyPeer peer(table(logger("5016")));
    EXPECT_EQ(identify(peer), 1);
    EXPECT_EQ(Flag.QM42, 1);
    closePort(hCom);
    PtyPeer other(table(logger("0020")));
    EXPECT_EQ(identify(other), 1);
    EXPECT_EQ(Flag.VT71, 0);
    EXPECT_EQ(Flag.QM42, 1);
}

TEST_F(IdentifyTest, BootLoaderBytesIdentifyAQM43InItsLoader) {
    PtyPeer peer(table({{"***", std::string("\x12\xB0", 2)}}));
    Timeout_rx = kAnsweringTimeout;
    EXPECT_EQ(identify(peer), 1);
    EXPECT_EQ(Flag.QM43BOOT, 1);
    EXPECT_STREQ(Flag.bootvers, "Boot v.1.2");
    EXPECT_EQ(peer.commands().size(), 1u);  // nothing after "***"
}

TEST_F(IdentifyTest, FailingSteps) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> replies;
        size_t commandsSent;
    };
    const Case cases[] = {
        {"single byte to ***", {{"***", "\x12"}}, 1},
        {"second byte not 0xBx", {{"***", std::string("\x12\xA0", 2)}}, 1},
        {"silent", {}, 1},
        {"ERR to ATCM08", {{"***", "OK\r"}, {"ATCM08\r", "ERR\r"}}, 2},
        {"ERR to ATCM00", {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "ERR\r"}}, 3},
        {"no version", {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "OK\r"}}, 4},
    };
    Timeout_rx = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPeer peer(table(c.replies));
        EXPECT_EQ(identify(peer), 0);
        EXPECT_EQ(Flag.QM43BOOT, 0);
        EXPECT_EQ(peer.commands().size(), c.commandsSent);
        closePort(hCom);
        hCom = nullptr;
    }
}

TEST_F(IdentifyTest, ModemAnswersNumericOk) {
    const std::pair<const char*, int> cases[] = {{"0\r", 1}, {"00\r", 0}, {"OK\r", 0}, {"4\r", 0}, {"", 0}};
    Timeout_rx = kAnsweringTimeout;
    for (auto [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Flag.modem = 1;
        PtyPeer peer(table({{"ATV0\r", reply}}));
        EXPECT_EQ(identify(peer), expected);
        ASSERT_FALSE(peer.commands().empty());
        EXPECT_EQ(peer.commands().front(), "ATV0\r");
        closePort(hCom);
        hCom = nullptr;
    }
}

TEST_F(IdentifyTest, ModemGetsItsInitialisationLinesFirst) {
    char dir[] = "/tmp/vxmodemXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", dir);
    std::ofstream(std::string(dir) + "/modem.ini", std::ios::binary) << "ATE0\r\n\r\nAT&K0\nATS0=0";
    Flag.modem = 1;
    Timeout_rx = kAnsweringTimeout;
    PtyPeer peer(table({{"ATE0\r", "0\r"}, {"AT&K0\r", "0\r"}, {"ATV0\r", "0\r"}}));
    EXPECT_EQ(identify(peer), 1);
    std::vector<std::string> expected = {"ATE0\r", "AT&K0\r",
                                         "ATV0\r"};  // the unterminated last line is not sent
    EXPECT_EQ(peer.commands(), expected);
    std::filesystem::remove_all(dir);
}

}  // namespace
