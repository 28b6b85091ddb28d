// The simulated loggers and boards seen through the in-process fake port, as the program
// sees them: identification, registers, page reads in both forms, temporary buffer,
// clock, EEPROM image, alarm register, boot loader and modem.

#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "sim_test_helpers.h"

#include <gtest/gtest.h>

using namespace vx::sim;
using simtest::ask;
using simtest::readBytes;
using simtest::send;

namespace {

struct Sim {
    std::shared_ptr<const Session> session;
    std::unique_ptr<FakeSerialPort> port;
};

Sim open(const std::string& settings) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    Sim s;
    auto dev = makeDevice(o, err, &s.session);
    EXPECT_TRUE(dev) << err;
    s.port = std::make_unique<FakeSerialPort>(std::move(dev));
    return s;
}

std::vector<uint8_t> pageBytes(const Session& s, int page) {
    const uint8_t* p = s.page(page);
    return std::vector<uint8_t>(p, p + kPageSize);
}

struct IdCase {
    const char* settings;
    const char* version;
};

class Identification : public ::testing::TestWithParam<IdCase> {};

TEST_P(Identification, AnswersTheHandshakeAndItsVersion) {
    Sim s = open(GetParam().settings);
    EXPECT_EQ(ask(*s.port, "***"), "OK");
    EXPECT_EQ(ask(*s.port, "ATCM08\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATCM00\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATVR\r"), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(Sim, Identification,
                         ::testing::Values(IdCase{"qm41,fw=19", "0019"}, IdCase{"qm41,fw=18", "0018"},
                                           IdCase{"qm42", "7020"}, IdCase{"qm43,fw=12", "B012"},
                                           IdCase{"vt71,fw=16", "5016"}, IdCase{"nod85", "8020"},
                                           IdCase{"qm41,hw=a,fw=ff", "A0FF"}));

TEST(SimLogger, UnknownOrMalformedCommandsAreAnsweredErr) {
    Sim s = open("qm41");
    for (const char* cmd : {"ATXX\r", "ATRD12\r", "ATRDZZZZ\r", "ATRD123456\r", "ATDT991332\r", "ATDT2405\r",
                            "ATTM246000\r", "ATTM12a000\r", "ATSA\r", "ATEE\r", "ATCM99\r", "\r"})
        EXPECT_EQ(ask(*s.port, cmd), "ERR") << cmd;
}

TEST(SimLogger, SessionRegistersComeFromTheSession) {
    Sim s = open("qm41,seed=4,pages=30,tablepage=4080,errors=3c");
    EXPECT_EQ(ask(*s.port, "ATSR\r"), "10");
    EXPECT_EQ(ask(*s.port, "ATER\r"), "3C");
    EXPECT_EQ(ask(*s.port, "ATPT\r"), "0FF0");
    EXPECT_EQ(ask(*s.port, "ATPL\r"), "000E");  // 4080 + 30 wraps to 14
    EXPECT_EQ(ask(*s.port, "ATOS\r"), "00");
    Sim w = open("qm43,wrapped,seed=2");
    EXPECT_EQ(ask(*w.port, "ATSR\r"), "18");
}

TEST(SimLogger, PlainReadsGiveFortyEightBytesAndRunOnAcrossPages) {
    Sim s = open("qm41,seed=9,pages=3,tablepage=4095");
    ASSERT_EQ(ask(*s.port, "ATRD0FFF\r"), "OK");
    std::vector<uint8_t> got;
    for (int i = 0; i < 2 * kPiecesPerPage; ++i) {
        send(*s.port, "ATRD\r");
        auto piece = readBytes(*s.port, 48);
        ASSERT_EQ(piece.size(), 48u);
        EXPECT_FALSE(s.port->waitReadable(50)) << "more than 48 bytes for one request";
        got.insert(got.end(), piece.begin(), piece.end());
    }
    auto want = pageBytes(*s.session, 4095);
    auto zero = pageBytes(*s.session, 0);
    want.insert(want.end(), zero.begin(), zero.end());
    EXPECT_EQ(got, want) << "page 4095 is followed by page 0";
}

TEST(SimLogger, FastAndPlainReadsDeliverTheSamePages) {
    Sim s = open("qm42,seed=21,pages=12,nodes=7");
    const Session& ses = *s.session;
    // Plain: one request per piece.
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(ses.pageTab) + "\r"), "OK");
    std::vector<uint8_t> plain;
    for (int i = 0; i < 13 * kPiecesPerPage; ++i) {
        send(*s.port, "ATRD\r");
        auto piece = readBytes(*s.port, 48);
        plain.insert(plain.end(), piece.begin(), piece.end());
    }
    // Fast: one request per page, the other ten pieces arrive unasked.
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(ses.pageTab | 0x8000u) + "\r"), "OK");
    std::vector<uint8_t> fast;
    for (int pg = 0; pg < 13; ++pg) {
        size_t before = s.port->written().size();
        send(*s.port, "ATRD\r");
        auto page = readBytes(*s.port, kPageSize);
        ASSERT_EQ(page.size(), size_t(kPageSize));
        EXPECT_FALSE(s.port->waitReadable(50)) << "more than a page for one request";
        EXPECT_EQ(s.port->written().size() - before, 5u);
        fast.insert(fast.end(), page.begin(), page.end());
    }
    EXPECT_EQ(plain, fast);
    std::vector<uint8_t> want;
    for (int k = 0; k < 13; ++k) {
        auto p = pageBytes(ses, (ses.pageTab + k) & 0xFFF);
        want.insert(want.end(), p.begin(), p.end());
    }
    EXPECT_EQ(fast, want);
}

TEST(SimLogger, TemporaryBufferIsReadInPaddedPiecesUntilThePointerIsSetAgain) {
    Sim s = open("qm41,seed=3,tmpbuf=130,tmpcut");
    const auto& tb = s.session->tmpBuffer;
    ASSERT_FALSE(tb.empty());
    EXPECT_EQ(ask(*s.port, "ATRB\r"), hex4(unsigned(tb.size())));
    std::vector<uint8_t> got;
    for (size_t n = 0; n < tb.size(); n += 48) {
        send(*s.port, "ATRD\r");
        auto piece = readBytes(*s.port, 48);
        ASSERT_EQ(piece.size(), 48u);
        got.insert(got.end(), piece.begin(), piece.end());
    }
    std::vector<uint8_t> want = tb;
    want.resize((tb.size() + 47) / 48 * 48, 0xFF);
    EXPECT_EQ(got, want);
    // Setting the read pointer goes back to the flash, even with the fast bit left set.
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(s.session->pageTab) + "\r"), "OK");
    send(*s.port, "ATRD\r");
    auto piece = readBytes(*s.port, 48);
    auto page = pageBytes(*s.session, s.session->pageTab);
    EXPECT_EQ(piece, std::vector<uint8_t>(page.begin(), page.begin() + 48));
}

TEST(SimLogger, ClockRunsWithTimeAndCanBeSet) {
    Sim s = open("qm41,clock=240228_235958");
    EXPECT_EQ(ask(*s.port, "ATDT\r"), "240228");
    EXPECT_EQ(ask(*s.port, "ATTM\r"), "235958");
    s.port->advanceMs(3000);
    EXPECT_EQ(ask(*s.port, "ATDT\r"), "240229");  // 2024 is a leap year
    EXPECT_EQ(ask(*s.port, "ATTM\r"), "000001");
    EXPECT_EQ(ask(*s.port, "ATDT231231\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATTM235959\r"), "OK");
    s.port->advanceMs(1000);
    EXPECT_EQ(ask(*s.port, "ATDT\r"), "240101");
    EXPECT_EQ(ask(*s.port, "ATTM\r"), "000000");
    EXPECT_EQ(ask(*s.port, "ATDT230229\r"), "ERR");  // no 29 February in 2023
    EXPECT_EQ(ask(*s.port, "ATDT\r"), "240101");
}

TEST(SimLogger, DefaultClockFollowsTheSession) {
    Sim s = open("qm41,seed=5,pages=2,start=240517_083000");
    std::string date = ask(*s.port, "ATDT\r");
    EXPECT_EQ(date.size(), 6u);
    EXPECT_GE(date, "240517");
}

TEST(SimBoard, EepromBytesAreReadOneByOneFromTheLastAddress) {
    Sim s = open("vt71,tcm=600");
    ASSERT_EQ(ask(*s.port, "ATRD0007\r"), "OK");
    std::string lo = ask(*s.port, "ATEE\r"), hi = ask(*s.port, "ATEE\r");
    EXPECT_EQ(std::stoul(hi + lo, nullptr, 16), 600u);
    // The whole image in one reply.
    ASSERT_EQ(ask(*s.port, "ATRD00FF\r"), "OK");
    std::string all = ask(*s.port, "ATEE\r");
    ASSERT_EQ(all.size(), 82u);
    EXPECT_EQ(all.substr(14, 4), lo + hi);
}

TEST(SimBoard, EepromWritesLandAtThePointerAndReadBack) {
    Sim s = open("nod85");
    ASSERT_EQ(ask(*s.port, "ATRD0015\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE34\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE12\r"), "OK");
    ASSERT_EQ(ask(*s.port, "ATRD0015\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE\r"), "34");
    EXPECT_EQ(ask(*s.port, "ATEE\r"), "12");
    // The two-part write of the whole image.
    std::string first, second;
    for (int i = 0; i < 29; ++i)
        first += hex2(unsigned(i));
    for (int i = 29; i < 41; ++i)
        second += hex2(unsigned(i));
    ASSERT_EQ(ask(*s.port, "ATRD0000\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE" + first + "\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE" + second + "\r"), "OK");
    ASSERT_EQ(ask(*s.port, "ATRD00FF\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATEE\r"), first + second);
    EXPECT_EQ(ask(*s.port, "ATEE1\r"), "ERR");
}

TEST(SimBoard, AlarmRegisterIsReportedAndAcknowledged) {
    Sim s = open("vt71,alarm=3c");
    EXPECT_EQ(ask(*s.port, "ATSA\r"), "3C025500");
    EXPECT_EQ(ask(*s.port, "ATSA1C\r"), "OK");
    EXPECT_EQ(ask(*s.port, "ATSA\r"), "1C025500");
    EXPECT_EQ(ask(*s.port, "ATSA1\r"), "ERR");
}

TEST(SimBootLoader, AnswersStarsWithVersionAndNoCarriageReturn) {
    Sim s = open("qm43boot");
    send(*s.port, "***");
    EXPECT_EQ(readBytes(*s.port, 3, 200), (std::vector<uint8_t>{0x12, 0xB0}));
    send(*s.port, "ATVR\r");
    EXPECT_FALSE(s.port->waitReadable(200));
}

TEST(SimSilent, NeverAnswers) {
    Sim s = open("silent");
    for (const char* cmd : {"***", "ATVR\r", "ATV0\r"}) {
        send(*s.port, cmd);
        EXPECT_FALSE(s.port->waitReadable(100)) << cmd;
    }
}

TEST(SimModem, DialsAfterItsDelayThenCarriesTheRemoteLogger) {
    Sim s = open("modem,dial-delay=1500,remote=qm43,fw=21");
    EXPECT_EQ(ask(*s.port, "ATZ\r"), "0");
    EXPECT_EQ(ask(*s.port, "AT&F E0\r"), "0");
    EXPECT_EQ(ask(*s.port, "ATV0\r"), "0");
    send(*s.port, "***");
    EXPECT_FALSE(s.port->waitReadable(100)) << "the modem itself does not answer ***";

    int64_t t0 = s.port->nowNs();
    EXPECT_EQ(ask(*s.port, "ATDT0123456\r", 1000), "<timeout>");
    std::string line;
    ASSERT_TRUE(simtest::readLine(*s.port, line, 1000));
    EXPECT_EQ(line, "1");
    EXPECT_EQ((s.port->nowNs() - t0) / 1000000, 1500);

    EXPECT_EQ(ask(*s.port, "***"), "OK");
    EXPECT_EQ(ask(*s.port, "ATVR\r"), "B021");
    EXPECT_EQ(ask(*s.port, "+++"), "0");
    EXPECT_EQ(ask(*s.port, "ATH\r"), "0");
    send(*s.port, "***");
    EXPECT_FALSE(s.port->waitReadable(100)) << "back in command mode";
}

TEST(SimModem, FailedCallStaysInCommandModeAndHangUpCancelsDialling) {
    Sim s = open("modem,dial-result=7,dial-delay=200");
    send(*s.port, "ATDT5550100\r");
    std::string line;
    ASSERT_TRUE(simtest::readLine(*s.port, line, 500));
    EXPECT_EQ(line, "7");
    send(*s.port, "***");
    EXPECT_FALSE(s.port->waitReadable(100));

    send(*s.port, "ATDT5550100\r");
    EXPECT_EQ(ask(*s.port, "ATH\r"), "0");
    EXPECT_FALSE(s.port->waitReadable(1000)) << "the abandoned call gives no result";
}

}  // namespace
