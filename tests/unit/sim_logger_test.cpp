// The simulated devices as the program sees them through the in-process fake port, with
// faults injected, and the session generator's flash read back with a table parser and
// record walker written from the memory layout, independent of the generator.

#include "sim/fake_serial_port.h"
#include "sim/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace vx::sim;

namespace {

struct Sim {
    std::shared_ptr<const Session> session;  // null for devices without one
    std::unique_ptr<FakeSerialPort> port;
};

Sim open(const std::string& settings) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    Sim s;
    auto dev = makeDevice(o, err, &s.session);
    EXPECT_TRUE(dev) << settings << ": " << err;
    s.port = std::make_unique<FakeSerialPort>(std::move(dev));
    return s;
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

// clang-format off
const Exchange kExchanges[] = {
    {"qm41,fw=19", {{"***", "OK\r"}, {"ATCM08\r", "OK\r"}, {"ATCM00\r", "OK\r"}, {"ATVR\r", "0019\r"}}},
    {"qm42", {{"ATVR\r", "7020\r"}}},
    {"qm43,fw=12", {{"ATVR\r", "B012\r"}}},
    {"vt71,fw=16", {{"ATVR\r", "5016\r"}}},
    {"nod85", {{"ATVR\r", "8020\r"}}},
    {"qm41,hw=a,fw=ff", {{"ATVR\r", "A0FF\r"}}},
    {"qm43boot", {{"***", "\x12\xB0"}, {"ATVR\r", ""}}},
    {"silent", {{"***", ""}, {"ATVR\r", ""}}},
    // Framing: a stray LF is ignored; a line past 600 bytes is dropped, one of 600 is not.
    {"qm41", {{"AT\nVR\r", "0020\r"}, {std::string(601, 'x') + "ATVR\r", "0020\r"},
              {std::string(600, 'x') + "\r", "ERR\r"}}},
    {"qm41", {{"ATXX\r", "ERR\r"}, {"ATRD12\r", "ERR\r"}, {"ATRDZZZZ\r", "ERR\r"}, {"ATRD123456\r", "ERR\r"},
              {"ATSA\r", "ERR\r"}, {"ATEE\r", "ERR\r"}, {"ATCM99\r", "ERR\r"}, {"\r", "ERR\r"},
              {"ATTM246000\r", "ERR\r"}, {"ATTM12a000\r", "ERR\r"}, {"ATDT991332\r", "ERR\r"},
              {"ATDT2405\r", "ERR\r"}}},
    {"qm41,seed=4,pages=30,tablepage=4080,errors=3c",  // last page 4080 + 30 wraps to 14
     {{"ATSR\r", "10\r"}, {"ATER\r", "3C\r"}, {"ATPT\r", "0FF0\r"}, {"ATPL\r", "000E\r"}, {"ATOS\r", "00\r"},
      {"ATCM06\r", "OK\r"}, {"ATOS\r", "01\r"}, {"ATCM05\r", "OK\r"}, {"ATOS\r", "00\r"}}},
    {"qm43,wrapped,seed=2", {{"ATSR\r", "18\r"}}},
    // The clock runs with the caller's time; February has 29 days in years divisible by 4.
    {"qm41,clock=240228_235958",
     {{"ATDT\r", "240228\r"}, {"ATTM\r", "235958\r"}, {"~3000", ""}, {"ATDT\r", "240229\r"},
      {"ATTM\r", "000001\r"}, {"ATDT231231\r", "OK\r"}, {"ATTM235959\r", "OK\r"}, {"~1000", ""},
      {"ATDT\r", "240101\r"}, {"ATTM\r", "000000\r"}, {"ATDT230229\r", "ERR\r"}, {"ATDT\r", "240101\r"},
      {"ATDT000228\r", "OK\r"}, {"ATTM235959\r", "OK\r"}, {"~1000", ""}, {"ATDT\r", "000229\r"},
      {"ATDT960229\r", "OK\r"}, {"ATDT990229\r", "ERR\r"}}},
    // The EEPROM pointer: set by ATRD values below 0x0100 only, stepped by each read and
    // write; bytes past the 41-byte image read FF.
    {"vt71,tcm=600",  // TCM 600 s = 0x0258 in bytes 7-8
     {{"ATRD0007\r", "OK\r"}, {"ATEE\r", "58\r"}, {"ATEE\r", "02\r"}, {"ATRD0015\r", "OK\r"},
      {"ATRD0100\r", "OK\r"}, {"ATEE3412\r", "OK\r"}, {"ATRD0015\r", "OK\r"}, {"ATEE\r", "34\r"},
      {"ATEE\r", "12\r"}, {"ATRD0029\r", "OK\r"}, {"ATEE\r", "FF\r"}, {"ATEE1\r", "ERR\r"},
      {"ATEE0G\r", "ERR\r"}}},
    {"vt71,alarm=3c",
     {{"ATSA\r", "3C025500\r"}, {"ATSA1C\r", "OK\r"}, {"ATSA\r", "1C025500\r"}, {"ATSA1\r", "ERR\r"}}},
    // The modem ignores what is not AT; its result comes after the dial delay, then the
    // remote logger answers until "+++".
    {"modem,dial-delay=1500,remote=qm43,fw=21",
     {{"ATZ\r", "0\r"}, {"AT&F E0\r", "0\r"}, {"***", ""}, {"ATDT0123456\r", ""}, {"", "1\r"},
      {"***", "OK\r"}, {"ATVR\r", "B021\r"}, {"+++", "0\r"}, {"ATH\r", "0\r"}, {"***", ""}}},
    {"modem,dial-result=7", {{"ATDT5550100\r", ""}, {"", "7\r"}, {"***", ""}}},
    // A command while dialling abandons the call: no result code follows.
    {"modem", {{"ATDT5550100\r", ""}, {"ATH\r", "0\r"}, {"", ""}}},
    // Faults: the Nth of the replies that match a rule's filter; a filter is a prefix, "$"
    // asks for the exact text; fault-on serves the rules before and after it.
    {"qm41,err-nth=3", {{"ATVR\r", "0020\r"}, {"ATVR\r", "0020\r"}, {"ATVR\r", "ERR\r"}, {"ATVR\r", "0020\r"}}},
    {"qm41,err=1,err-on=ATRD,drop=1,drop-on=TRD", {{"ATRD8005\r", "ERR\r"}}},
    {"qm41,drop=1,drop-on=ATRD$", {{"ATRD8005\r", "OK\r"}, {"ATRD\r", ""}, {"ATVR\r", "0020\r"}}},
    {"qm41,err-nth=1,fault-on=ATSR,drop-nth=2",
     {{"ATVR\r", "0020\r"}, {"ATSR\r", "ERR\r"}, {"ATVR\r", "0020\r"}, {"ATSR\r", ""}, {"ATSR\r", "10\r"}}},
    {"vt71,vanish-nth=3", {{"***", "OK\r"}, {"ATVR\r", "5020\r"}, {"ATVR\r", ""}, {"***", ""}, {"ATSA\r", ""}}},
};
// clang-format on

TEST(SimDevice, AnswersCommandsAsDocumented) {
    for (const Exchange& e : kExchanges) {
        SCOPED_TRACE(e.settings);
        auto s = open(e.settings);
        for (const auto& [cmd, reply] : e.steps) {
            if (cmd[0] == '~')
                s.port->advanceMs(std::stoi(cmd.substr(1)));
            else
                EXPECT_EQ(ask(*s.port, cmd), reply) << cmd.substr(0, 20);
        }
    }
}

std::string pages(const Session& s, int first, int count) {
    std::string out;
    for (int k = 0; k < count; ++k)
        out.append(reinterpret_cast<const char*>(s.page(first + k)), kPageSize);
    return out;
}

// n "ATRD" requests, each answered by `size` bytes.
std::string readPieces(FakeSerialPort& port, int n, size_t size) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        std::string piece = ask(port, "ATRD\r");
        EXPECT_EQ(piece.size(), size);
        out += piece;
    }
    return out;
}

TEST(SimDevice, PlainAndFastReadsDeliverThePagesAcrossPage4095) {
    auto s = open("qm42,seed=21,pages=12,nodes=7,tablepage=4090");
    const unsigned tab = s.session->pageTab;
    // Bits 12-14 of the pointer are ignored; a new pointer starts at the page's first byte.
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(0x3000u | tab) + "\r"), "OK\r");
    EXPECT_EQ(readPieces(*s.port, 13 * kPiecesPerPage + 1, 48),
              pages(*s.session, int(tab), 14).substr(0, 13 * 528 + 48));
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(0x8000u | tab) + "\r"), "OK\r");
    EXPECT_EQ(readPieces(*s.port, 13, kPageSize), pages(*s.session, int(tab), 13));
}

TEST(SimDevice, TemporaryBufferIsReadInPaddedPiecesUntilThePointerIsSetAgain) {
    auto s = open("qm41,seed=3,tmpbuf=130,tmpcut");
    std::string want(s.session->tmpBuffer.begin(), s.session->tmpBuffer.end());
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(ask(*s.port, "ATRB\r"), hex4(unsigned(want.size())) + "\r");
    want.resize((want.size() + 47) / 48 * 48 + 48, '\xFF');  // and one piece past the end
    EXPECT_EQ(readPieces(*s.port, int(want.size() / 48), 48), want);
    ASSERT_EQ(ask(*s.port, "ATRD" + hex4(0x8000u | s.session->pageTab) + "\r"), "OK\r");
    EXPECT_EQ(readPieces(*s.port, 1, kPageSize), pages(*s.session, s.session->pageTab, 1));
}

TEST(SimDevice, WholeEepromImageIsReadAndWrittenAfterAtrd00ff) {
    auto s = open("vt71,tcm=600");
    ASSERT_EQ(ask(*s.port, "ATRD00FF\r"), "OK\r");
    std::string image = ask(*s.port, "ATEE\r");
    ASSERT_EQ(image.size(), 83u);
    EXPECT_EQ(image.substr(14, 4), "5802");
    EXPECT_EQ(ask(*s.port, "ATEE\r"), image) << "the pointer stays on the whole image";
    // Two writes from the start, as the program sends the image.
    std::string first, second;
    for (unsigned i = 0; i < 41; ++i)
        (i < 29 ? first : second) += hex2(i * 7);
    EXPECT_EQ(ask(*s.port, "ATEE" + first + "\r"), "OK\r");
    EXPECT_EQ(ask(*s.port, "ATEE" + second + "\r"), "OK\r");
    ASSERT_EQ(ask(*s.port, "ATRD00FF\r"), "OK\r");
    EXPECT_EQ(ask(*s.port, "ATEE\r"), first + second + "\r");
}

// What each of n "ATVR" transactions brought.
std::vector<std::string> run(const std::string& settings, int n) {
    auto s = open(settings);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(ask(*s.port, "ATVR\r", 100));
    return out;
}

TEST(SimFaults, SameSeedSameFaultsOtherSeedOtherFaultsAtTheirRates) {
    const std::string settings = "qm41,drop=0.2,err=0.1,truncate=0.1,fault-seed=";
    EXPECT_EQ(run(settings + "5", 300), run(settings + "5", 300));
    EXPECT_NE(run(settings + "5", 300), run(settings + "6", 300));
    // One draw per rule and matching reply whether it fires or not: the drops stay where
    // they are when another rule fires more often.
    auto a = run("qm41,drop=0.2,err=0.1", 300), b = run("qm41,drop=0.2,err=0.6", 300);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i].empty(), b[i].empty()) << i;
    for (auto [settings, spoiled, p] :
         {std::tuple{"qm41,drop=0.3", "", 0.3}, {"qm41,err=0.1", "ERR\r", 0.1}}) {
        auto r = run(settings, 1000);
        auto bad = std::count(r.begin(), r.end(), spoiled);
        EXPECT_EQ(bad + std::count(r.begin(), r.end(), "0020\r"), 1000) << settings;
        EXPECT_NEAR(double(bad) / 1000, p, 0.05) << settings;
    }
}

TEST(SimFaults, TruncatedRepliesArePrefixesAndDelayedOnesComeLate) {
    auto s = open("qm41,pages=3,truncate=1,fault-seed=3");
    for (int i = 0; i < 20; ++i) {
        std::string got = ask(*s.port, "ATRD0001\r");
        EXPECT_TRUE(got == "O" || got == "OK") << got;
    }
    std::string piece = ask(*s.port, "ATRD\r");
    EXPECT_TRUE(piece.size() >= 1 && piece.size() < 48) << piece.size();

    auto d = open("qm41,delay-ms=300");
    EXPECT_EQ(ask(*d.port, "ATVR\r", 299), "");
    EXPECT_EQ(ask(*d.port, "", 1), "0020\r");
}

// ---- the session generator ----

unsigned le16(const uint8_t* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

// Node records (address, configuration words) of a table page; false when the page is no
// table or its records do not end exactly at its length.
bool parseTable(const uint8_t* t, std::vector<std::pair<uint8_t, std::vector<uint16_t>>>& nodes) {
    nodes.clear();
    unsigned len = le16(t + 2), off = 16;
    if (t[0] != 0xFF || len > 528) return false;
    for (; off + 4 <= len; off += 6 + 2 * t[off + 1]) {
        nodes.push_back({t[off], {}});
        for (unsigned c = 0; c < t[off + 1]; ++c)
            nodes.back().second.push_back(uint16_t(le16(t + off + 4 + 2 * c)));
    }
    return off == len;
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

bool blank(const uint8_t* from, const uint8_t* to) {
    return std::all_of(from, to, [](uint8_t b) { return b == 0xFF; });
}

struct Layout {
    const char* name;
    uint64_t seed;
    int nodes, channels, pages;
    bool wrapped;
    int tablePage, oldTables;
    bool high;
};

class SessionLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(SessionLayout, FlashFollowsTheMemoryLayout) {
    const Layout& c = GetParam();
    SessionParams p;
    p.seed = c.seed, p.nodes = c.nodes, p.maxChannels = c.channels, p.pages = c.pages;
    p.wrapped = c.wrapped, p.tablePage = c.tablePage, p.oldTables = c.oldTables, p.highAddresses = c.high;
    const Session s = make(p);

    // Table page: header, the session's nodes (a table too wide for its page loses
    // channels, not nodes), 0xFF tail.
    const uint8_t* t = s.page(s.pageTab);
    std::vector<std::pair<uint8_t, std::vector<uint16_t>>> nodes;
    ASSERT_TRUE(parseTable(t, nodes));
    ASSERT_EQ(nodes.size(), size_t(c.nodes));
    EXPECT_EQ(t[1], s.tableByte1);
    EXPECT_EQ(le16(t + 4) | le16(t + 6) << 16, s.pnom);
    const uint8_t head[8] = {0x00, 0x30, 0x08, 0x17, 0x05, 0x24, 0, 0};  // BCD 240517_083000
    EXPECT_TRUE(std::equal(head, head + 8, t + 8));
    EXPECT_TRUE(blank(t + le16(t + 2), t + 528));
    std::set<uint8_t> addrs;
    for (size_t k = 0; k < nodes.size(); ++k) {
        const auto& [addr, conf] = nodes[k];
        EXPECT_TRUE(addr == s.nodes[k].addr && conf == s.nodes[k].conf) << k;
        EXPECT_TRUE(addr != 0x00 && addr != 0xFF && addrs.insert(addr).second) << int(addr);
        EXPECT_TRUE(conf.size() >= 1 && conf.size() <= size_t(c.channels));
        for (size_t i = 0; i < conf.size(); ++i) {
            EXPECT_LE(conf[i] & 0x1F, 19);
            if ((conf[i] & 0x1F) == 0) {  // the high word of a pair, followed by its low word
                ASSERT_LT(i + 1, conf.size()) << "pair cut at node " << int(addr);
                EXPECT_NE(conf[i + 1] & 0x1F, 0);
            }
        }
    }
    EXPECT_EQ(*addrs.rbegin() > 127, c.high);

    // Data pages as the program derives them from status, table page and last page.
    unsigned first = (s.pageTab + (s.pageLast != s.pageTab)) & 0xFFF,
             total = (s.pageLast - first + 1) & 0xFFF;
    if (s.pageLast == s.pageTab) total = 0;
    if (s.status & 0x08) first = (s.pageLast + 1u) & 0xFFF, total = 4095;
    EXPECT_EQ(s.status, c.wrapped ? 0x18 : 0x10);
    EXPECT_EQ(total, c.wrapped ? 4095u : unsigned(c.pages));
    EXPECT_EQ(first, s.pageFirst);
    EXPECT_TRUE(c.tablePage < 0 || s.pageTab == c.tablePage);
    std::vector<uint16_t> expected;
    for (unsigned pg = first; expected.size() < total; pg = (pg + 1) & 0xFFF)
        if (pg != s.pageTab) expected.push_back(uint16_t(pg));
    ASSERT_EQ(s.dataPages, expected);
    EXPECT_TRUE(total == 0 || s.dataPages.back() == s.pageLast);

    // Whole records packed from each page start (as many as fit) with a 0xFF tail, then the
    // buffer's whole records: the session's ledger, time markers never decreasing.
    std::vector<std::pair<uint8_t, uint32_t>> all;
    int tail = -1, end = 0;
    for (uint16_t pg : s.dataPages) {
        auto recs = walk(s, s.page(pg), 528, end);
        ASSERT_FALSE(recs.empty()) << "page " << pg;
        ASSERT_TRUE(blank(s.page(pg) + end, s.page(pg) + 528)) << "page " << pg;
        EXPECT_TRUE(tail < s.findNode(recs[0].first)->recordLength()) << "page " << pg << " not filled";
        tail = 528 - end;
        all.insert(all.end(), recs.begin(), recs.end());
    }
    auto tmp = walk(s, s.tmpBuffer.data(), int(s.tmpBuffer.size()), end);
    EXPECT_EQ(end, int(s.tmpBuffer.size()));
    EXPECT_LE(end, p.tmpBytes);
    all.insert(all.end(), tmp.begin(), tmp.end());
    ASSERT_EQ(all.size(), s.records.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_TRUE(all[i].first == s.records[i].addr && all[i].second == s.records[i].timeMarker) << i;
        ASSERT_TRUE(i == 0 || all[i].second >= all[i - 1].second) << "record " << i;
    }
    EXPECT_EQ(int(s.oldTablePages.size()), c.oldTables);
}

const Layout kLayouts[] = {
    {"small", 1, 2, 3, 5, false, -1, 0, true},
    {"no_data_pages", 2, 3, 4, 0, false, 100, 0, true},
    {"one_node_one_channel", 3, 1, 1, 12, false, -1, 0, false},
    {"max_nodes_wide", 4, 30, 64, 40, false, -1, 2, true},
    {"crosses_page_4095", 5, 6, 8, 30, false, 4080, 0, true},
    {"full_not_wrapped", 6, 5, 10, 4095, false, 7, 0, true},
    {"wrapped", 7, 8, 12, 0, true, -1, 0, true},
    {"wrapped_table_at_end", 8, 4, 5, 0, true, 4095, 0, true},
    {"low_addresses_only", 9, 20, 6, 25, false, -1, 3, false},
};
INSTANTIATE_TEST_SUITE_P(Sim, SessionLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

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
