// The command transaction over a real pseudo-terminal: how replies end, what is kept,
// what is discarded and when the time-out applies.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/clock.h"
#include "link/com.h"
#include "support/fixtures.h"
#include "support/pty_peer.h"

using vx::test::PtyPeer;

namespace {

class TransactionTest : public vx::test::ProgramTest {
  protected:
    void open(PtyPeer& peer) {
        hCom = openPort(peer.path().c_str());
        ASSERT_NE(hCom, nullptr);
        initCOM(hCom);
    }
    void TearDown() override {
        closePort(hCom);
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    std::string rx() const { return std::string(reinterpret_cast<const char*>(Rx_buf), size_t(iRx)); }
};

TEST_F(TransactionTest, TerminatedReplyIsStoredWithoutItsCarriageReturn) {
    PtyPeer peer([](const std::string& c) { return c == "ATOS\r" ? std::string("00\r") : ""; });
    open(peer);
    EXPECT_EQ(sendCOMMAND(hCom, "ATOS\r", 13), 1);
    EXPECT_EQ(iRx, 2);
    EXPECT_STREQ(rxText(), "00");
}

TEST_F(TransactionTest, BytesAfterTheTerminatorWaitForTheNextCommandThatDiscardsThem) {
    PtyPeer peer(
        [](const std::string& c) { return c == "ATA\r" ? std::string("OK\rJUNK") : std::string("B\r"); });
    open(peer);
    ASSERT_EQ(sendCOMMAND(hCom, "ATA\r", 13), 1);
    EXPECT_STREQ(rxText(), "OK");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(sendCOMMAND(hCom, "ATB\r", 13), 1);
    EXPECT_STREQ(rxText(), "B");
}

TEST_F(TransactionTest, BinaryCountsIgnoreCarriageReturnsInside) {
    std::string block48(48, '\x0D'), block64(64, 'u');
    block48[0] = 'x';
    PtyPeer peer([&](const std::string& c) { return c == "ATRD\r" ? block48 : block64; });
    open(peer);
    ASSERT_EQ(sendCOMMAND(hCom, "ATRD\r", 'L'), 1);
    EXPECT_EQ(iRx, 48);
    EXPECT_EQ(rx(), block48);
    EXPECT_EQ(Rx_buf[48], 0);
    ASSERT_EQ(sendCOMMAND(hCom, "ATEE\r", 'U'), 1);
    EXPECT_EQ(iRx, 64);
}

TEST_F(TransactionTest, ShortBinaryReplyFailsAfterTheInactivityTimeOut) {
    PtyPeer peer([](const std::string&) { return std::string(47, 'a'); });
    open(peer);
    Timeout_rx = 100;
    auto t0 = vx::link::nowMs();
    EXPECT_EQ(sendCOMMAND(hCom, "ATRD\r", 'L'), 0);
    EXPECT_EQ(iRx, 47);
    EXPECT_GE(vx::link::nowMs() - t0, 100u);
}

TEST_F(TransactionTest, OverflowFailsAtTheByteThatFillsTheBufferWithoutWaiting) {
    PtyPeer peer([](const std::string&) { return std::string(300, 'z'); });
    open(peer);
    Timeout_rx = 2000;
    auto t0 = vx::link::nowMs();
    EXPECT_EQ(sendCOMMAND(hCom, "ATXX\r", 13), 0);
    EXPECT_EQ(iRx, 272);
    EXPECT_LT(vx::link::nowMs() - t0, 1000u);
}

TEST_F(TransactionTest, LongestTerminatedReplyFits) {
    PtyPeer peer([](const std::string&) { return std::string(270, 'y') + "\r"; });
    open(peer);
    ASSERT_EQ(sendCOMMAND(hCom, "ATXX\r", 13), 1);
    EXPECT_EQ(iRx, 270);
}

TEST_F(TransactionTest, EmptyPollReturnsAtOnceWhenNothingIsPending) {
    PtyPeer peer;
    open(peer);
    Timeout_rx = 2000;
    auto t0 = vx::link::nowMs();
    EXPECT_EQ(sendCOMMAND(hCom, "", 13), 0);
    EXPECT_LT(vx::link::nowMs() - t0, 1000u);  // far below the 2000 ms time-out
    EXPECT_TRUE(peer.commands().empty());
}

TEST_F(TransactionTest, EmptyPollTakesPendingLinesOneAtATimeWithoutDiscarding) {
    PtyPeer peer;
    open(peer);
    peer.send("2\r7\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(sendCOMMAND(hCom, "", 13), 1);
    EXPECT_STREQ(rxText(), "2");
    EXPECT_EQ(iRx, 1);
    ASSERT_EQ(sendCOMMAND(hCom, "", 13), 1);
    EXPECT_STREQ(rxText(), "7");
}

TEST_F(TransactionTest, CommandLengthLimit) {
    PtyPeer peer([](const std::string&) { return std::string("OK\r"); });
    open(peer);
    std::string c273 = std::string(272, 'A') + "\r";
    std::string c274 = std::string(273, 'A') + "\r";
    EXPECT_EQ(sendCOMMAND(hCom, c274.c_str(), 13), 0);
    EXPECT_EQ(dwBytesWritten, 0u);
    EXPECT_EQ(sendCOMMAND(hCom, c273.c_str(), 13), 1);
    EXPECT_EQ(dwBytesWritten, 273u);
}

TEST_F(TransactionTest, SteadyStreamIsReadToItsEndPausesEndIt) {
    PtyPeer* self = nullptr;
    PtyPeer peer([&self](const std::string& c) {
        if (c == "ATST1\r") {
            // 80 bytes, one every 5 ms: longer in all than the time-out, never a pause near
            // it (which leaves room for a busy machine).
            for (int i = 0; i < 79; ++i) {
                self->send("s");
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return std::string("\r");
        }
        self->send("ab");  // then a pause longer than the time-out
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        return std::string("\r");
    });
    self = &peer;
    open(peer);
    Timeout_rx = 300;
    EXPECT_EQ(sendCOMMAND(hCom, "ATST1\r", 13), 1);
    EXPECT_EQ(iRx, 79);
    EXPECT_EQ(sendCOMMAND(hCom, "ATST2\r", 13), 0);
    EXPECT_EQ(iRx, 2);
}

TEST_F(TransactionTest, WriteOnlyModesAndBlocks) {
    PtyPeer peer([](const std::string&) { return std::string("OK\r"); });
    open(peer);
    uint8_t block[48];
    for (int i = 0; i < 48; ++i)
        block[i] = uint8_t(i == 10 ? 0 : 0x41 + i % 26);  // a NUL inside
    EXPECT_EQ(sendCOMMAND(hCom, block, TX_34_NO_RX), 1);
    EXPECT_EQ(dwBytesWritten, 34u);
    EXPECT_EQ(Rx_buf[0], 0);
    EXPECT_EQ(sendCOMMAND(hCom, block, TX_48_END_RX_CR), 1);
    EXPECT_EQ(dwBytesWritten, 48u);
    EXPECT_TRUE(RICEVUTO_OK());
    EXPECT_EQ(sendCOMMAND(hCom, "ATZ\r", NO_RX), 1);
}

TEST_F(TransactionTest, BootLoaderExchange) {
    PtyPeer peer([](const std::string&) { return std::string("\x55\x66", 2); });
    open(peer);
    uint8_t b = 0x21;
    EXPECT_EQ(sendCOMMAND2(hCom, &b, 1, 2, 500), 1);
    EXPECT_EQ(iRx, 2);
    EXPECT_EQ(sendCOMMAND2(hCom, &b, 1, 0, 0), 1);
    EXPECT_EQ(iRx, 0);
}

TEST_F(TransactionTest, VanishedDeviceFailsWithinTheTimeOut) {
    PtyPeer peer([](const std::string&) { return std::string(); });
    open(peer);
    Timeout_rx = 100;
    peer.vanish();
    auto t0 = vx::link::nowMs();
    EXPECT_EQ(sendCOMMAND(hCom, "ATVR\r", 13), 0);
    EXPECT_EQ(sendCOMMAND(hCom, "", 13), 0);
    EXPECT_LT(vx::link::nowMs() - t0, 1000u);
}

TEST_F(TransactionTest, InvalidHandleFails) {
    EXPECT_EQ(sendCOMMAND(nullptr, "ATVR\r", 13), 0);
    EXPECT_EQ(sendCOMMAND(nullptr, "", 13), 0);
}

}  // namespace
