// The simulated devices through the in-process fake port where the program's own tests do
// not reach them (framing, malformed commands, registers, the clock, EEPROM writes, the
// modem, fault filters, seeds and delays), and the session generator, whose flash must
// match the nodes, pages and ledger of records that the download tests' reference reads.

#include "sim/fake_serial_port.h"
#include "sim/options.h"

#include <gtest/gtest.h>

#include <set>

using namespace vx::sim;

namespace {

std::unique_ptr<FakeSerialPort> open(const std::string& settings) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    auto dev = makeDevice(o, err);
    EXPECT_TRUE(dev) << settings << ": " << err;
    return std::make_unique<FakeSerialPort>(std::move(dev));
}

// The bytes of the reply that comes within timeoutMs of virtual time ("" when none).
std::string ask(FakeSerialPort& p, const std::string& cmd, int timeoutMs = 1000) {
    p.discardInput();
    p.write(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size());
    std::string out;
    for (uint8_t b; p.waitReadable(out.empty() ? timeoutMs : 0);)
        while (p.readByte(b))
            out += char(b);
    return out;
}

// Each step writes a command and takes its reply; an empty command only waits for one;
// "~N" moves the clock on N ms.
struct Exchange {
    const char* settings;
    std::vector<std::pair<std::string, std::string>> steps;
};

const std::string kImage = std::string(58, '1') + std::string(24, 'E');  // 41 EEPROM bytes

// clang-format off
const Exchange kExchanges[] = {
    // Framing: a stray LF is ignored; a line past 600 bytes is dropped, one of 600 is not.
    {"qm41", {{"AT\nVR\r", "0020\r"}, {std::string(601, 'x') + "ATVR\r", "0020\r"},
              {std::string(600, 'x') + "\r", "ERR\r"}}},
    {"qm41", {{"ATXX\r", "ERR\r"}, {"ATRD12\r", "ERR\r"}, {"ATRDZZZZ\r", "ERR\r"}, {"ATRD123456\r", "ERR\r"},
              {"ATSA\r", "ERR\r"}, {"ATEE\r", "ERR\r"}, {"ATCM99\r", "ERR\r"}, {"\r", "ERR\r"},
              {"ATTM246000\r", "ERR\r"}, {"ATTM12a000\r", "ERR\r"}, {"ATDT2405\r", "ERR\r"}}},
    {"qm41,seed=4,pages=30,tablepage=4080,errors=3c",  // last page 4080 + 30 wraps to 14
     {{"ATER\r", "3C\r"}, {"ATPL\r", "000E\r"}, {"ATCM06\r", "OK\r"}, {"ATOS\r", "01\r"}, {"ATCM05\r", "OK\r"},
      {"ATOS\r", "00\r"}}},
    // The clock starts at the first command and runs with the caller's time; February has
    // 29 days in years divisible by 4.
    {"qm41,clock=240228_235958",
     {{"ATDT\r", "240228\r"}, {"~3000", ""}, {"ATDT\r", "240229\r"}, {"ATTM\r", "000001\r"},
      {"ATDT230229\r", "ERR\r"}, {"ATDT\r", "240229\r"}, {"ATDT000229\r", "OK\r"}, {"ATDT960229\r", "OK\r"},
      {"ATDT991332\r", "ERR\r"}, {"ATDT990229\r", "ERR\r"}}},
    // The EEPROM pointer: set by ATRD values below 0x0100 only, stepped by each read and
    // write; bytes past the 41-byte image read FF; after ATRD00FF the whole image is
    // written from its start (in two parts, as the program sends it) and read back.
    {"vt71",
     {{"ATRD0015\r", "OK\r"}, {"ATRD0100\r", "OK\r"}, {"ATEE3412\r", "OK\r"}, {"ATRD0015\r", "OK\r"},
      {"ATEE\r", "34\r"}, {"ATEE\r", "12\r"}, {"ATRD0029\r", "OK\r"}, {"ATEE\r", "FF\r"}, {"ATEE1\r", "ERR\r"},
      {"ATEE0G\r", "ERR\r"}, {"ATSA1\r", "ERR\r"}, {"ATRD00FF\r", "OK\r"},
      {"ATEE" + kImage.substr(0, 58) + "\r", "OK\r"}, {"ATEE" + kImage.substr(58) + "\r", "OK\r"},
      {"ATRD00FF\r", "OK\r"}, {"ATEE\r", kImage + "\r"}, {"ATEE\r", kImage + "\r"}}},
    // The modem ignores what is not AT; its result comes after the dial delay, then the
    // remote logger answers until "+++".
    {"modem,dial-delay=1500,remote=qm43,fw=21,guard=0",
     {{"ATZ\r", "0\r"}, {"AT&F E0\r", "0\r"}, {"***", ""}, {"ATDT0123456\r", ""}, {"", "1\r"},
      {"***", "OK\r"}, {"ATVR\r", "B021\r"}, {"+++", "0\r"}, {"ATH\r", "0\r"}, {"***", ""}}},
    {"modem,dial-result=7", {{"ATDT5550100\r", ""}, {"", "7\r"}, {"***", ""}}},
    // A command while dialling abandons the call: no result code follows.
    {"modem", {{"ATDT5550100\r", ""}, {"ATH\r", "0\r"}, {"", ""}}},
    // Faults: the Nth of the replies that match a rule's filter; a filter is a prefix, "$"
    // asks for the exact text; fault-on serves the rules before and after it.
    {"qm41,err=1,err-on=ATRD,drop=1,drop-on=TRD", {{"ATRD8005\r", "ERR\r"}}},
    {"qm41,drop=1,drop-on=ATRD$", {{"ATRD8005\r", "OK\r"}, {"ATRD\r", ""}, {"ATVR\r", "0020\r"}}},
    {"qm41,err-nth=1,fault-on=ATSR,drop-nth=2",
     {{"ATVR\r", "0020\r"}, {"ATSR\r", "ERR\r"}, {"ATVR\r", "0020\r"}, {"ATSR\r", ""}, {"ATSR\r", "10\r"}}},
};
// clang-format on

TEST(SimDevice, AnswersCommandsAsDocumented) {
    for (const Exchange& e : kExchanges) {
        SCOPED_TRACE(e.settings);
        auto port = open(e.settings);
        for (const auto& [cmd, reply] : e.steps) {
            if (cmd[0] == '~')
                port->advanceMs(std::stoi(cmd.substr(1)));
            else
                EXPECT_EQ(ask(*port, cmd), reply) << cmd.substr(0, 20);
        }
    }
}

// What each of n "ATVR" transactions brought.
std::vector<std::string> run(const std::string& settings, int n) {
    auto port = open(settings);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(ask(*port, "ATVR\r", 100));
    return out;
}

TEST(SimFaults, SameSeedSameFaultsAndDelayedRepliesComeLate) {
    const std::string settings = "qm41,drop=0.2,err=0.1,truncate=0.1,fault-seed=";
    EXPECT_EQ(run(settings + "5", 300), run(settings + "5", 300));
    EXPECT_NE(run(settings + "5", 300), run(settings + "6", 300));
    // One draw per rule and matching reply whether it fires or not: the drops stay where
    // they are when another rule fires more often.
    auto a = run("qm41,drop=0.2,err=0.1", 300), b = run("qm41,drop=0.2,err=0.6", 300);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i].empty(), b[i].empty()) << i;
    auto delayed = open("qm41,delay-ms=300");  // on the virtual clock
    EXPECT_EQ(ask(*delayed, "ATVR\r", 299), "");
    EXPECT_EQ(ask(*delayed, "", 1), "0020\r");
}

// ---- the session generator ----

unsigned le16(const uint8_t* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

// Records (address, time marker) from offset 0 until a byte that is no node address or a
// record that would run past size; end receives where the walk stopped.
std::vector<std::pair<uint8_t, uint32_t>> walk(const Session& s, const uint8_t* p, int size, int& end) {
    std::vector<std::pair<uint8_t, uint32_t>> out;
    for (end = 0; end < size && s.findNode(p[end]);) {
        int len = s.findNode(p[end])->recordLength();
        if (end + len > size) break;
        out.push_back({p[end], le16(p + end + 1) | uint32_t(le16(p + end + 3)) << 16});
        end += len;
    }
    return out;
}

Session make(const SessionParams& p) {
    Session s;
    std::string err;
    EXPECT_TRUE(generateSession(p, s, err)) << err;
    return s;
}

// What the download tests' reference takes from the session instead of the flash: the
// nodes, the data pages and the ledger of records, in time order, for layouts from the
// smallest to a full and a wrapped memory.
TEST(SessionGenerator, FlashMatchesTheNodesPagesAndLedger) {
    for (const char* settings :
         {"seed=1,nodes=2,channels=3,pages=5", "seed=2,nodes=3,channels=4,pages=0,tablepage=100",
          "seed=3,nodes=1,channels=1,pages=12,highaddr=0", "seed=4,nodes=30,channels=64,pages=40,oldtables=2",
          "seed=5,nodes=6,channels=8,pages=30,tablepage=4080", "seed=7,nodes=8,channels=12,wrapped",
          "seed=6,nodes=5,channels=10,pages=4095,tablepage=7",
          "seed=8,nodes=4,channels=5,wrapped,tablepage=4095",
          "seed=9,nodes=20,channels=6,pages=25,oldtables=3,highaddr=0"}) {
        SCOPED_TRACE(settings);
        Options o;
        std::string err;
        ASSERT_TRUE(parseSimSettings(settings, o, err)) << err;
        const SessionParams& c = o.session;
        const Session s = make(c);

        // The table page's node records (a table too wide for its page loses channels, not
        // nodes) end exactly at its length; addresses are distinct and neither 0x00 nor 0xFF.
        const uint8_t* t = s.page(s.pageTab);
        unsigned off = 16;
        std::set<uint8_t> addrs;
        for (const Node& n : s.nodes) {
            ASSERT_LE(off + 6 + 2 * t[off + 1], 528u) << "node record past the page";
            std::vector<uint16_t> conf;
            for (unsigned i = 0; i < t[off + 1]; ++i)
                conf.push_back(uint16_t(le16(t + off + 4 + 2 * i)));
            EXPECT_TRUE(t[off] == n.addr && conf == n.conf) << int(n.addr);
            EXPECT_TRUE(n.addr != 0x00 && n.addr != 0xFF && addrs.insert(n.addr).second) << int(n.addr);
            off += 6 + 2 * t[off + 1];
        }
        EXPECT_TRUE(t[0] == 0xFF && off == le16(t + 2) && off <= 528);
        EXPECT_EQ(s.nodes.size(), size_t(c.nodes));
        EXPECT_EQ(*addrs.rbegin() > 127, c.highAddresses);

        // Data pages as the program derives them from status, table page and last page.
        unsigned first = (s.pageTab + (s.pageLast != s.pageTab)) & 0xFFF,
                 total = s.pageLast == s.pageTab ? 0 : (s.pageLast - first + 1) & 0xFFF;
        if (s.status & 0x08) first = (s.pageLast + 1u) & 0xFFF, total = 4095;
        EXPECT_EQ(s.status, c.wrapped ? 0x18 : 0x10);
        EXPECT_EQ(total, c.wrapped ? 4095u : unsigned(c.pages));
        EXPECT_TRUE(c.tablePage < 0 || s.pageTab == c.tablePage);
        std::vector<uint16_t> expected;
        for (unsigned pg = first; expected.size() < total; pg = (pg + 1) & 0xFFF)
            if (pg != s.pageTab) expected.push_back(uint16_t(pg));
        ASSERT_EQ(s.dataPages, expected);

        // Whole records from each page start, at least one a page, then the buffer's: the
        // session's ledger, time markers never decreasing.
        std::vector<std::pair<uint8_t, uint32_t>> all;
        int end = 0;
        for (uint16_t pg : s.dataPages) {
            auto recs = walk(s, s.page(pg), 528, end);
            ASSERT_FALSE(recs.empty()) << "page " << pg;
            all.insert(all.end(), recs.begin(), recs.end());
        }
        auto tmp = walk(s, s.tmpBuffer.data(), int(s.tmpBuffer.size()), end);
        EXPECT_TRUE(end == int(s.tmpBuffer.size()) && end <= c.tmpBytes) << "whole records only";
        all.insert(all.end(), tmp.begin(), tmp.end());
        ASSERT_EQ(all.size(), s.records.size());
        for (size_t i = 0; i < all.size(); ++i) {
            EXPECT_TRUE(all[i].first == s.records[i].addr && all[i].second == s.records[i].timeMarker) << i;
            ASSERT_TRUE(i == 0 || all[i].second >= all[i - 1].second) << "record " << i;
        }
        EXPECT_EQ(int(s.oldTablePages.size()), c.oldTables);  // on free pages: the walk above found none
    }
}

// The download tests connect twice to the same settings and expect the same session.
TEST(SessionGenerator, SameSeedSameFlashOtherSeedOtherFlash) {
    SessionParams p;
    p.pages = 50, p.seed = 11;
    Session a = make(p), b = make(p);
    EXPECT_TRUE(a.flash == b.flash && a.tmpBuffer == b.tmpBuffer);
    p.seed = 12;
    EXPECT_NE(a.flash, make(p).flash);
}

TEST(SessionGenerator, TemporaryBufferEndsInACutRecordOrHoldsAnUnknownNode) {
    for (bool cut : {true, false}) {
        SessionParams p;
        p.tmpBytes = 300, p.tmpCutRecord = cut, p.tmpBadNode = !cut;
        Session s = make(p);
        int end = 0;
        walk(s, s.tmpBuffer.data(), int(s.tmpBuffer.size()), end);
        ASSERT_LT(end, int(s.tmpBuffer.size())) << cut;
        // A cut record starts with a known address; the unknown one is no 0x00 either.
        EXPECT_EQ(s.findNode(s.tmpBuffer[size_t(end)]) != nullptr, cut);
        EXPECT_NE(s.tmpBuffer[size_t(end)], 0x00);
    }
}

TEST(SessionGenerator, BadParametersAreRejected) {
    // By the settings parser or by the generator, with a reason either way.
    for (const char* settings :
         {"nodes=0", "nodes=31", "channels=65", "pages=4096", "tmpbuf=529", "start=240230_000000",
          "wrapped,oldtables=1", "nodes=1,channels=1,satmr=65535,pages=4095", "colour=red", "qm41,qm42"}) {
        Options o;
        std::string err;
        EXPECT_FALSE(parseSimSettings(settings, o, err) && makeDevice(o, err)) << settings;
        EXPECT_FALSE(err.empty()) << settings;
    }
}

}  // namespace
