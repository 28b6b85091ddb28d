// Fault injection: which replies are spoiled must depend only on the seed and the command
// sequence, and each kind of fault must spoil a reply the way it says.

#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "sim_test_helpers.h"

#include <gtest/gtest.h>

using namespace vx::sim;
using simtest::ask;
using simtest::readBytes;
using simtest::send;

namespace {

std::unique_ptr<FakeSerialPort> port(const std::string& settings) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    auto dev = makeDevice(o, err);
    EXPECT_TRUE(dev) << err;
    return std::make_unique<FakeSerialPort>(std::move(dev));
}

// The outcome of each of n "ATVR" transactions, as one string ("0020", "ERR", "<timeout>").
std::vector<std::string> run(const std::string& settings, int n) {
    auto p = port(settings);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(ask(*p, "ATVR\r", 100));
    return out;
}

TEST(SimFaults, SameSeedSameFaultsOtherSeedOtherFaults) {
    const std::string settings = "qm41,drop=0.2,err=0.1,truncate=0.1";
    auto a = run(settings + ",fault-seed=5", 300);
    auto b = run(settings + ",fault-seed=5", 300);
    auto c = run(settings + ",fault-seed=6", 300);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

struct RateCase {
    const char* settings;
    const char* spoiled;  // what a spoiled transaction looks like
    double p;
};

class FaultRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(FaultRate, FollowsItsProbability) {
    auto r = run(GetParam().settings, 1000);
    int spoiled = 0, clean = 0;
    for (const auto& s : r) {
        if (s == "0020")
            ++clean;
        else if (s == GetParam().spoiled)
            ++spoiled;
    }
    EXPECT_EQ(spoiled + clean, 1000);
    EXPECT_NEAR(spoiled / 1000.0, GetParam().p, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Sim, FaultRate,
                         ::testing::Values(RateCase{"qm41,drop=0.3", "<timeout>", 0.3},
                                           RateCase{"qm41,err=0.1", "ERR", 0.1},
                                           RateCase{"qm41,drop=0", "<timeout>", 0.0},
                                           RateCase{"qm41,err=1", "ERR", 1.0}));

TEST(SimFaults, NthReplyIsSpoiledAndNoOther) {
    auto r = run("qm41,err-nth=3", 6);
    EXPECT_EQ(r, (std::vector<std::string>{"0020", "0020", "ERR", "0020", "0020", "0020"}));
}

TEST(SimFaults, FilterPicksTheCommand) {
    // Only the bare page read is dropped, not the addressing that shares its prefix.
    auto p = port("qm41,drop=1,drop-on=ATRD$");
    EXPECT_EQ(ask(*p, "ATRD8005\r", 100), "OK");
    send(*p, "ATRD\r");
    EXPECT_FALSE(p->waitReadable(500));
    EXPECT_EQ(ask(*p, "ATVR\r", 100), "0020");

    // The Nth reply counts only matching replies.
    auto q = port("qm41,err-nth=2,fault-on=ATSR");
    EXPECT_EQ(ask(*q, "ATSR\r"), "10");
    EXPECT_EQ(ask(*q, "ATVR\r"), "0020");
    EXPECT_EQ(ask(*q, "ATSR\r"), "ERR");
}

TEST(SimFaults, TruncatedReplyIsAShortPrefix) {
    auto p = port("qm41,pages=3,truncate=1,fault-seed=3");
    for (int i = 0; i < 20; ++i) {
        send(*p, "ATRD0001\r");
        auto got = readBytes(*p, 10, 50);
        ASSERT_FALSE(got.empty());
        ASSERT_LT(got.size(), 3u);
        EXPECT_EQ(std::string(got.begin(), got.end()), std::string("OK\r").substr(0, got.size()));
    }
    send(*p, "ATRD\r");
    auto piece = readBytes(*p, 48, 50);
    EXPECT_GE(piece.size(), 1u);
    EXPECT_LT(piece.size(), 48u);
}

TEST(SimFaults, DelayedReplyArrivesLateOnTheVirtualClock) {
    auto p = port("qm41,delay-ms=300");
    send(*p, "ATVR\r");
    int64_t t0 = p->nowNs();
    EXPECT_FALSE(p->waitReadable(299));
    EXPECT_TRUE(p->waitReadable(100));
    EXPECT_EQ((p->nowNs() - t0) / 1000000, 300);
    std::string line;
    ASSERT_TRUE(simtest::readLine(*p, line, 0));
    EXPECT_EQ(line, "0020");
}

TEST(SimFaults, VanishedDeviceNeverAnswersAgain) {
    auto p = port("vt71,vanish-nth=3");
    EXPECT_EQ(ask(*p, "***"), "OK");
    EXPECT_EQ(ask(*p, "ATVR\r"), "5020");
    EXPECT_FALSE(p->device().vanished());
    for (const char* c : {"ATVR\r", "***", "ATSA\r", "ATSR\r"})
        EXPECT_EQ(ask(*p, c, 200), "<timeout>") << c;
    EXPECT_TRUE(p->device().vanished());
}

TEST(SimFaults, StatsCountWhatWasDone) {
    Options o;
    std::string err;
    ASSERT_TRUE(parseSimSettings("qm41,drop-nth=1,err-nth=2,truncate-nth=3,delay-nth=4,delay-ms=10", o, err))
        << err;
    auto dev = makeDevice(o, err);
    auto* faulty = dynamic_cast<FaultyDevice*>(dev.get());
    ASSERT_NE(faulty, nullptr);
    FakeSerialPort p(std::move(dev));
    for (int i = 0; i < 5; ++i)
        ask(p, "ATVR\r", 100);
    EXPECT_EQ(faulty->stats().replies, 5u);
    EXPECT_EQ(faulty->stats().dropped, 1u);
    EXPECT_EQ(faulty->stats().errs, 1u);
    EXPECT_EQ(faulty->stats().truncated, 1u);
    EXPECT_EQ(faulty->stats().delayed, 1u);
}

}  // namespace
