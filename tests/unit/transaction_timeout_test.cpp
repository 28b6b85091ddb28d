// The command transaction's time-out on the fake port's virtual clock: how long a reply
// may pause, when a reply is cut off or too long, and what the failure says. No test here
// takes real time.

#include <gtest/gtest.h>

#include "link/transaction.h"
#include "sim/fake_serial_port.h"
#include "support/fixtures.h"

namespace {

using vx::link::TxError;
using Pieces = std::vector<std::pair<int, std::string>>;  // bytes, each at its ms after the write

// Answers every command with the scripted pieces (an empty poll writes nothing).
class ScriptedDevice : public vx::sim::Device {
  public:
    explicit ScriptedDevice(Pieces pieces) : pieces_(std::move(pieces)) {}
    void receive(const uint8_t*, size_t len, int64_t, vx::sim::Output& out) override {
        for (const auto& [ms, text] : len ? pieces_ : Pieces{}) {
            vx::sim::Reply r;
            r.bytes.assign(text.begin(), text.end());
            r.delayNs = int64_t(ms) * 1000000;
            out.push(std::move(r));
        }
    }

  private:
    Pieces pieces_;
};

// n bytes, one every stepMs, then a CR: a reply far longer than the time-out.
Pieces stream(int n, int stepMs) {
    Pieces p;
    for (int k = 1; k <= n; ++k)
        p.push_back({k * stepMs, "s"});
    p.push_back({(n + 1) * stepMs, "\r"});
    return p;
}

using TransactionTimeout = vx::test::ProgramTest;

TEST_F(TransactionTimeout, InactivityEndsTheReplyAndTheFailureSaysWhy) {
    const struct {
        const char* what;
        int8_t ctrl;
        Pieces pieces;
        TxError error;
        int received;
        uint64_t elapsedMs;
        const char* failure;
    } cases[] = {
        // clang-format off
        {"at once", 13, {{0, "0020\r"}}, TxError::None, 4, 0, ""},
        {"silent", 13, {}, TxError::Timeout, 0, 2000, "ATVR: no reply within 2000 ms"},
        {"cut off", 13, {{300, "00"}}, TxError::Timeout, 2, 2300, "ATVR: reply cut off after 2 bytes (2000 ms time-out)"},
        {"pause below the time-out", 13, {{0, "00"}, {1999, "20\r"}}, TxError::None, 4, 1999, ""},
        {"pause above the time-out", 13, {{0, "00"}, {2001, "20\r"}}, TxError::Timeout, 2, 2000,
         "ATVR: reply cut off after 2 bytes (2000 ms time-out)"},
        {"steady stream", 13, stream(149, 100), TxError::None, 149, 15000, ""},
        {"L: 48 bytes, CRs inside", 'L', {{0, std::string(48, '\r')}}, TxError::None, 48, 0, ""},
        {"L: 47 bytes", 'L', {{0, std::string(47, 'a')}}, TxError::Timeout, 47, 2000,
         "ATVR: reply cut off after 47 bytes (2000 ms time-out)"},
        {"270 bytes and CR", 13, {{0, std::string(270, 'y') + "\r"}}, TxError::None, 270, 0, ""},
        {"271 bytes and CR", 13, {{0, std::string(271, 'y') + "\r"}}, TxError::Overflow, 272, 0, "ATVR: reply too long"},
        {"300 bytes", 13, {{0, std::string(300, 'z')}}, TxError::Overflow, 272, 0, "ATVR: reply too long"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vx::sim::FakeSerialPort port(std::make_unique<ScriptedDevice>(c.pieces));
        Timeout_rx = TO_RX_SLOW;
        vx::link::clearFailure();
        const uint64_t t0 = port.nowMs();
        EXPECT_EQ(sendCOMMAND(&port, "ATVR\r", c.ctrl), c.error == TxError::None ? 1 : 0);
        EXPECT_EQ(port.nowMs() - t0, c.elapsedMs);
        EXPECT_EQ(vx::link::lastTransaction().error, c.error);
        EXPECT_EQ(vx::link::lastTransaction().received, c.received);
        EXPECT_EQ(iRx, c.received);
        EXPECT_EQ(vx::link::lastFailureText(), c.failure);
        EXPECT_EQ(port.writtenText(), "ATVR\r");
    }
}

TEST_F(TransactionTimeout, EmptyPollOnlyLooksUntilAReplyHasBegun) {
    // A command that expects no reply, answered later by two lines and the start of a third.
    vx::sim::FakeSerialPort port(
        std::make_unique<ScriptedDevice>(Pieces{{500, "2\r7\r"}, {500, "1"}, {800, "\r"}}));
    Timeout_rx = TO_RX_SLOW;
    ASSERT_EQ(sendCOMMAND(&port, "ATDT123\r", NO_RX), 1);
    const uint64_t t0 = port.nowMs();
    EXPECT_EQ(sendCOMMAND(&port, "", 13), 0);
    EXPECT_EQ(vx::link::lastTransaction().error, TxError::Timeout);
    EXPECT_EQ(port.nowMs(), t0) << "nothing pending: at once";
    EXPECT_EQ(vx::link::lastFailureText(), "waiting for data: no reply within 2000 ms");
    port.advanceMs(600);
    for (const char* line : {"2", "7", "1"}) {
        ASSERT_EQ(sendCOMMAND(&port, "", 13), 1) << line;
        EXPECT_STREQ(rxText(), line);
        EXPECT_EQ(vx::link::lastTransaction().error, TxError::None);
    }
    EXPECT_EQ(port.nowMs(), t0 + 800) << "the third line was waited for";
    EXPECT_EQ(port.writtenText(), "ATDT123\r");
}

}  // namespace
