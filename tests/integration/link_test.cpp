// The command transaction and the identification handshake through the real serial stack,
// against scripted devices on real pseudo-terminals. The time-out rules themselves are
// tested on the fake port's virtual clock (tests/unit/transaction_timeout_test.cpp).

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "link/clock.h"
#include "link/com.h"
#include "state/exe_dir.h"
#include "state/flags.h"
#include "support/pty_peer.h"
#include "support/sim_logger.h"

namespace {

using vx::link::TxError;
using vx::test::PtyPeer;
using Replies = std::map<std::string, std::string>;

// A device that answers each command from a table (silence for the others).
PtyPeer::Responder table(Replies replies) {
    return [replies](const std::string& c) {
        auto it = replies.find(c);
        return it == replies.end() ? std::string() : it->second;
    };
}

// The program's port on the peer's pty, set up as the program sets it up (the fixture
// closes it at the end).
void openOn(PtyPeer& peer) {
    closePort(hCom);
    hCom = openPort(peer.path().c_str());
    ASSERT_NE(hCom, nullptr);
    initCOM(hCom);
}
using TransactionTest = vx::test::SimLoggerTest;
using IdentifyTest = vx::test::SimLoggerTest;

void settle() {  // lets the peer's reply reach the program's side of the pty
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

TEST_F(TransactionTest, BytesAfterTheTerminatorWaitForTheEmptyPollAndACommandDiscardsThem) {
    PtyPeer peer([](const std::string& c) { return std::string(c == "ATA\r" ? "OK\r2\r7\rJUNK" : "B\r"); });
    openOn(peer);
    ASSERT_EQ(sendCOMMAND(hCom, "ATA\r", 13), 1);
    EXPECT_STREQ(rxText(), "OK");
    settle();
    for (const char* line : {"2", "7"}) {  // an empty poll takes one pending line and keeps the rest
        ASSERT_EQ(sendCOMMAND(hCom, "", 13), 1) << line;
        EXPECT_STREQ(rxText(), line);
    }
    ASSERT_EQ(sendCOMMAND(hCom, "ATB\r", 13), 1);
    EXPECT_STREQ(rxText(), "B");
    EXPECT_EQ(peer.commands(), (std::vector<std::string>{"ATA\r", "ATB\r"}));
}

TEST_F(TransactionTest, FixedCountReplyTakesCarriageReturnsAsData) {
    std::string block(48, '\x0D');
    block[0] = 'x';
    PtyPeer peer([&block](const std::string&) { return block + "more"; });
    openOn(peer);
    ASSERT_EQ(sendCOMMAND(hCom, "ATRD\r", 'L'), 1);
    EXPECT_EQ(iRx, 48);
    EXPECT_EQ(std::string(rxText(), 48), block);
    EXPECT_EQ(Rx_buf[48], 0);
}

TEST_F(TransactionTest, CommandOfMoreThan273CharactersIsRefusedUnwritten) {
    PtyPeer peer(table({{std::string(272, 'A') + "\r", "OK\r"}}));
    openOn(peer);
    EXPECT_EQ(sendCOMMAND(hCom, (std::string(273, 'A') + "\r").c_str(), 13), 0);
    EXPECT_EQ(vx::link::lastTransaction().error, TxError::TooLong);
    EXPECT_EQ(dwBytesWritten, 0u);
    EXPECT_EQ(sendCOMMAND(hCom, (std::string(272, 'A') + "\r").c_str(), 13), 1);
    EXPECT_EQ(dwBytesWritten, 273u);
    EXPECT_EQ(peer.commands().size(), 1u);
}

TEST_F(TransactionTest, PortWhoseDeviceVanishedFailsWithoutWaitingOutTheTimeOut) {
    PtyPeer peer;
    openOn(peer);
    Timeout_rx = 10000;
    peer.vanish();
    const uint64_t t0 = vx::link::nowMs();
    for (const char* command : {"ATVR\r", ""}) {  // the command finds the port gone, then so does a poll
        SCOPED_TRACE(command);
        EXPECT_EQ(sendCOMMAND(hCom, command, 13), 0);
        EXPECT_EQ(vx::link::lastTransaction().error, TxError::PortGone);
    }
    EXPECT_LT(vx::link::nowMs() - t0, 5000u) << "waited for the time-out";
}

TEST_F(TransactionTest, SteadyStreamLongerThanTheTimeOutIsReadToItsEnd) {
    PtyPeer* self = nullptr;
    PtyPeer peer([&self](const std::string&) {
        // 100 bytes, one every 5 ms: longer in all than the time-out, never a pause near it.
        for (int i = 0; i < 100; ++i) {
            self->send("s");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return std::string("\r");
    });
    self = &peer;
    openOn(peer);
    Timeout_rx = 400;
    const uint64_t t0 = vx::link::nowMs();
    EXPECT_EQ(sendCOMMAND(hCom, "ATST\r", 13), 1);
    EXPECT_EQ(iRx, 100);
    EXPECT_GE(vx::link::nowMs() - t0, 400u) << "the stream did not outlast the time-out";
}

// The device flags: VT71, NOD85, QM42, QM43, QM43BOOT.
using Kind = std::array<int, 5>;

Replies logger(const std::string& version) {
    return {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "OK\r"}, {"ATVR\r", version}};
}
Replies modem(const std::string& result) {
    return {{"ATE0\r", "0\r"}, {"AT&K0\r", "0\r"}, {"ATV0\r", result}};
}

TEST_F(IdentifyTest, HandshakeSetsTheIdentityOrEndsAtTheFirstFailingStep) {
    const std::vector<std::string> all = {"***", "ATCM08\r", "ATCM00\r", "ATVR\r"};
    // A modem gets the lines of its modem.ini first: empty ones skipped, the unterminated last one not sent.
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", dir_.c_str());
    std::ofstream("modem.ini", std::ios::binary) << "ATE0\r\n\r\nAT&K0\nATS0=0";
    const std::vector<std::string> dialled = {"ATE0\r", "AT&K0\r", "ATV0\r"};
    struct Case {
        const char* what;
        bool modem = false;
        Replies replies{};
        Kind before{};  // VT71 and QM42 only
        int32_t result = 0;
        std::vector<std::string> sent{};
        Kind after{};
        // Afterwards; a failed handshake leaves the "prev" release and the '?' 0x99 identity.
        const char* release = "prev";
        uint8_t hw = '?';
        uint16_t fw = 0x99;
        const char* bootvers = "";
    };
    // clang-format off
    const Case cases[] = {
        {.what = "QM41", .replies = logger("0019\r"), .result = 1, .sent = all, .release = "0019", .hw = '0', .fw = 0x19},
        {.what = "QM43", .replies = logger("B012\r"), .result = 1, .sent = all, .after = {0, 0, 1, 1, 0},
         .release = "B012", .hw = 'B', .fw = 0x12},
        {.what = "QM42", .replies = logger("7020\r"), .result = 1, .sent = all, .after = {0, 0, 1, 0, 0},
         .release = "7020", .hw = '7', .fw = 0x20},
        {.what = "VT71 leaves QM42", .replies = logger("5016\r"), .before = {0, 0, 1, 0, 0}, .result = 1, .sent = all,
         .after = {1, 0, 1, 0, 0}, .release = "5016", .hw = '5', .fw = 0x16},
        {.what = "NOD85", .replies = logger("8021\r"), .result = 1, .sent = all, .after = {0, 1, 0, 0, 0},
         .release = "8021", .hw = '8', .fw = 0x21},
        {.what = "QM41 after a VT71", .replies = logger("0020\r"), .before = {1, 0, 1, 0, 0}, .result = 1, .sent = all,
         .after = {0, 0, 1, 0, 0}, .release = "0020", .hw = '0', .fw = 0x20},
        {.what = "long reply", .replies = logger("0a1fXYZ\r"), .result = 1, .sent = all, .release = "0a1f", .hw = '0',
         .fw = 0x1F},
        {.what = "short reply", .replies = logger("3\r"), .result = 1, .sent = all, .release = "3", .hw = '3', .fw = 0},
        {.what = "boot loader", .replies = {{"***", std::string("\x12\xB0", 2)}}, .result = 1, .sent = {"***"},
         .after = {0, 0, 0, 0, 1}, .bootvers = "Boot v.1.2"},
        {.what = "one byte to ***", .replies = {{"***", "\x12"}}, .sent = {"***"}},
        {.what = "second byte not 0xBx", .replies = {{"***", std::string("\x12\xA0", 2)}}, .sent = {"***"}},
        {.what = "silent", .sent = {"***"}},
        {.what = "ERR to ATCM08", .replies = {{"***", "OK\r"}, {"ATCM08\r", "ERR\r"}}, .sent = {"***", "ATCM08\r"}},
        {.what = "ERR to ATCM00", .replies = {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "ERR\r"}},
         .sent = {"***", "ATCM08\r", "ATCM00\r"}},
        {.what = "ERR to ATVR", .replies = logger("ERR\r"), .sent = all},
        {.what = "no version", .replies = logger(""), .sent = all},
        {.what = "modem", .modem = true, .replies = modem("0\r"), .result = 1, .sent = dialled},
        {.what = "modem 00", .modem = true, .replies = modem("00\r"), .sent = dialled},
        {.what = "modem OK", .modem = true, .replies = modem("OK\r"), .sent = dialled},
        {.what = "modem 4", .modem = true, .replies = modem("4\r"), .sent = dialled},
        {.what = "silent modem", .modem = true, .replies = modem(""), .sent = dialled},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        closePort(hCom);  // the defaults forget the port, they do not close it
        initVAR();
        Timeout_rx = 300;  // replies come at once; the room is for a busy machine
        Flag.modem = c.modem;
        Flag.VT71 = c.before[0];
        Flag.QM42 = c.before[2];
        std::snprintf(FW_release, sizeof FW_release, "prev");
        Datalogger = {'?', 0x99};
        PtyPeer peer(table(c.replies));
        openOn(peer);
        EXPECT_EQ(test_hCom(hCom), c.result);
        EXPECT_EQ(peer.commands(), c.sent);
        EXPECT_EQ((Kind{Flag.VT71, Flag.NOD85, Flag.QM42, Flag.QM43, Flag.QM43BOOT}), c.after);
        EXPECT_STREQ(FW_release, c.release);
        EXPECT_EQ(Datalogger.hw, c.hw);
        EXPECT_EQ(Datalogger.fw, c.fw);
        EXPECT_STREQ(Flag.bootvers, c.bootvers);
    }
}

TEST_F(IdentifyTest, PortWhoseDeviceWentAwayIsNoBootLoader) {
    // What an earlier exchange left in the buffer must not pass for the boot loader's answer.
    PtyPeer peer;
    openOn(peer);
    peer.vanish();
    Rx_buf[0] = 0x30;
    Rx_buf[1] = 0xB3;
    iRx = 2;
    EXPECT_EQ(test_hCom(hCom), 0);
    EXPECT_EQ(Flag.QM43BOOT, 0);
    EXPECT_EQ(iRx, 0);
}

}  // namespace
