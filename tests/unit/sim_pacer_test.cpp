// The line timing model: bytes per second, 1 ms frames, and the order in which commands
// and replies occupy the line.

#include "sim/device.h"
#include "sim/pacer.h"

#include <gtest/gtest.h>

using namespace vx::sim;

namespace {

std::vector<uint8_t> bytes(size_t n) {
    return std::vector<uint8_t>(n, 0x55);
}

TEST(SimPacer, WireTimeIsTenBitsPerByte) {
    EXPECT_EQ(LinePacer(256000).wireNs(528), 20625000);
    EXPECT_EQ(LinePacer(9600).wireNs(1), 1041666);
    EXPECT_EQ(LinePacer(19200).wireNs(1920), 1000000000);
    EXPECT_EQ(LinePacer(0).wireNs(1000), 0);
}

TEST(SimPacer, BytewiseHandsOverEachByteAtItsOwnArrival) {
    LinePacer p(9600, PaceMode::Bytewise);
    const int64_t t0 = 5000;
    p.enqueue(bytes(10), t0);
    std::vector<uint8_t> out;
    for (int k = 1; k <= 10; ++k) {
        int64_t due = p.nextDueNs();
        EXPECT_EQ(due, t0 + p.wireNs(uint64_t(k)));
        EXPECT_EQ(p.take(due - 1, out), 0u) << "byte " << k << " early";
        EXPECT_EQ(p.take(due, out), 1u);
    }
    EXPECT_TRUE(p.empty());
    EXPECT_EQ(p.nextDueNs(), kNever);
    EXPECT_EQ(out.size(), 10u);
    EXPECT_EQ(p.bytesOut(), 10u);
}

TEST(SimPacer, FramesHandOverEverythingArrivedAtEachMillisecond) {
    LinePacer p(256000, PaceMode::Frames);
    const int64_t start = 300000;  // 0.3 ms into a frame
    p.enqueue(bytes(2560), start);
    std::vector<uint8_t> out;
    size_t total = 0;
    while (!p.empty()) {
        int64_t due = p.nextDueNs();
        ASSERT_EQ(due % LinePacer::kFrameNs, 0) << "hand-over off the frame grid";
        size_t n = p.take(due, out);
        total += n;
        // All bytes whose last bit has passed by the frame boundary, and no more.
        size_t arrived = size_t((due - start) * 256000 / 10000000000);
        EXPECT_EQ(total, std::min<size_t>(arrived, 2560)) << "at " << due;
        EXPECT_GE(n, 1u);
        EXPECT_LE(n, 26u);
    }
    EXPECT_EQ(total, 2560u);
    // 2560 bytes take 100 ms; the last frame boundary after that.
    EXPECT_EQ(p.bytesOut(), 2560u);
}

TEST(SimPacer, ReplyWaitsForTheCommandToCrossTheLine) {
    LinePacer p(9600, PaceMode::Bytewise);
    int64_t start = p.hostWrite(5, 1000);  // "ATVR\r"
    EXPECT_EQ(start, 1000);
    p.enqueue(bytes(5), start + p.wireNs(5));
    EXPECT_NEAR(p.nextDueNs(), 1000 + p.wireNs(6), 2);  // ns rounding per reply
    // A second write while the first is still on the line queues behind it.
    EXPECT_EQ(p.hostWrite(5, 2000), 1000 + p.wireNs(5));
    EXPECT_EQ(p.bytesIn(), 10u);
}

TEST(SimPacer, RepliesQueueBehindEachOtherAndHonourExtraDelay) {
    LinePacer p(19200, PaceMode::Bytewise);
    p.enqueue(bytes(10), 0);
    p.enqueue(bytes(10), 0);  // cannot start before the first has left
    std::vector<uint8_t> out;
    p.take(p.wireNs(10), out);
    EXPECT_EQ(out.size(), 10u);
    EXPECT_NEAR(p.nextDueNs(), p.wireNs(11), 2);
    p.take(p.wireNs(20), out);
    p.enqueue(bytes(1), p.wireNs(20) + 50000000);  // delayed by 50 ms
    EXPECT_NEAR(p.nextDueNs(), p.wireNs(21) + 50000000, 2);
}

TEST(SimPacer, UnpacedHandsEverythingOverAtOnceButKeepsDelays) {
    LinePacer p(0);
    p.enqueue(bytes(528), 100);
    p.enqueue(bytes(3), 100);
    p.enqueue(bytes(4), 9000);
    std::vector<uint8_t> out;
    EXPECT_EQ(p.nextDueNs(), 100);
    EXPECT_EQ(p.take(100, out), 531u);
    EXPECT_EQ(p.nextDueNs(), 9000);
    EXPECT_EQ(p.take(8999, out), 0u);
    EXPECT_EQ(p.take(9000, out), 4u);
    EXPECT_EQ(p.hostWrite(100, 5), 5);
}

}  // namespace
