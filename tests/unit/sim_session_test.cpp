// The session generator: the flash it produces must obey the logger's memory layout, so
// that the program's readers can be tested against it.

#include "sim/session.h"
#include "sim_test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace vx::sim;
using simtest::le16;
using simtest::le32;

namespace {

Session make(const SessionParams& p) {
    Session s;
    std::string err;
    EXPECT_TRUE(generateSession(p, s, err)) << err;
    return s;
}

std::map<uint8_t, int> chanuMap(const Session& s) {
    std::map<uint8_t, int> m;
    for (const Node& n : s.nodes)
        m[n.addr] = n.chanu();
    return m;
}

struct Case {
    const char* name;
    uint64_t seed;
    int nodes, channels, pages;
    bool wrapped;
    int tablePage;
    int oldTables;
    bool high;
};

const Case kCases[] = {
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

class SessionLayout : public ::testing::TestWithParam<Case> {};

TEST_P(SessionLayout, TablePageDescribesTheNodes) {
    const Case& c = GetParam();
    SessionParams p;
    p.seed = c.seed, p.nodes = c.nodes, p.maxChannels = c.channels, p.pages = c.pages;
    p.wrapped = c.wrapped, p.tablePage = c.tablePage, p.oldTables = c.oldTables, p.highAddresses = c.high;
    Session s = make(p);

    const uint8_t* t = s.page(s.pageTab);
    std::vector<simtest::TableNode> nodes;
    ASSERT_TRUE(simtest::parseTable(t, nodes));
    ASSERT_EQ(nodes.size(), s.nodes.size());
    EXPECT_LE(le16(t + 2), 528u);
    EXPECT_EQ(le32(t + 4), s.pnom);
    EXPECT_EQ(t[1], s.tableByte1);
    // BCD start: seconds, minutes, hours, day, month, year.
    const uint8_t bcd[6] = {0x00, 0x30, 0x08, 0x17, 0x05, 0x24};
    EXPECT_TRUE(std::equal(bcd, bcd + 6, t + 8));
    EXPECT_EQ(t[14], 0);
    EXPECT_EQ(t[15], 0);
    for (unsigned i = le16(t + 2); i < 528; ++i)
        ASSERT_EQ(t[i], 0xFF) << "table tail at " << i;

    std::set<uint8_t> addrs;
    bool anyHigh = false;
    for (size_t k = 0; k < nodes.size(); ++k) {
        const auto& n = nodes[k];
        EXPECT_EQ(n.addr, s.nodes[k].addr);
        EXPECT_EQ(n.conf, s.nodes[k].conf);
        EXPECT_NE(n.addr, 0x00);
        EXPECT_NE(n.addr, 0xFF);
        EXPECT_TRUE(addrs.insert(n.addr).second) << "duplicate address " << int(n.addr);
        anyHigh = anyHigh || n.addr > 127;
        EXPECT_GE(n.conf.size(), 1u);
        EXPECT_LE(n.conf.size(), size_t(c.channels));
        EXPECT_GT(n.satmr, 0);
        for (size_t i = 0; i < n.conf.size(); ++i) {
            int code = n.conf[i] & 0x1F;
            EXPECT_LE(code, 19);
            if (code == 0) {
                // High word of a pair: never last, never followed by another code 0.
                ASSERT_LT(i + 1, n.conf.size()) << "pair cut at node " << int(n.addr);
                EXPECT_NE(n.conf[i + 1] & 0x1F, 0);
            }
        }
    }
    EXPECT_EQ(anyHigh, c.high);
}

TEST_P(SessionLayout, PagesAndRegistersAgreeWithTheProgramsArithmetic) {
    const Case& c = GetParam();
    SessionParams p;
    p.seed = c.seed, p.nodes = c.nodes, p.maxChannels = c.channels, p.pages = c.pages;
    p.wrapped = c.wrapped, p.tablePage = c.tablePage, p.oldTables = c.oldTables, p.highAddresses = c.high;
    Session s = make(p);

    // What the program derives from status, table page and last page.
    unsigned first, total;
    if (s.status & 0x08) {
        first = (s.pageLast + 1u) & 0xFFF;
        total = 4095;
    } else {
        first = (s.pageTab + (s.pageLast != s.pageTab ? 1u : 0u)) & 0xFFF;
        total = ((s.pageLast - first) & 0xFFF) + 1;
        if (s.pageTab == s.pageLast) total = 0;
    }
    EXPECT_EQ(bool(s.status & 0x08), c.wrapped);
    EXPECT_TRUE(s.status & 0x10);
    EXPECT_EQ(total, c.wrapped ? 4095u : unsigned(c.pages));
    EXPECT_EQ(int(s.dataPages.size()), int(total));
    EXPECT_EQ(first, s.pageFirst);
    if (c.tablePage >= 0) {
        EXPECT_EQ(s.pageTab, c.tablePage);
    }

    // Walking from the first page, skipping the table page, meets the data pages in order.
    std::vector<uint16_t> expected;
    for (unsigned pg = first; expected.size() < total; pg = (pg + 1) & 0xFFF)
        if (pg != s.pageTab) expected.push_back(uint16_t(pg));
    EXPECT_EQ(s.dataPages, expected);
    if (total > 0) {
        EXPECT_EQ(s.dataPages.back(), s.pageLast);
    }
    if (c.wrapped) {
        std::set<uint16_t> all(s.dataPages.begin(), s.dataPages.end());
        EXPECT_EQ(all.size(), 4095u);
        EXPECT_FALSE(all.count(s.pageTab));
    }
}

TEST_P(SessionLayout, RecordsStayInsideTheirPagesAndTimeMarkersIncrease) {
    const Case& c = GetParam();
    SessionParams p;
    p.seed = c.seed, p.nodes = c.nodes, p.maxChannels = c.channels, p.pages = c.pages;
    p.wrapped = c.wrapped, p.tablePage = c.tablePage, p.oldTables = c.oldTables, p.highAddresses = c.high;
    Session s = make(p);
    auto chanu = chanuMap(s);

    std::vector<simtest::Walked> all;
    int prevTail = -1;
    for (uint16_t pg : s.dataPages) {
        const uint8_t* page = s.page(pg);
        int end = 0;
        auto recs = simtest::walk(page, 528, chanu, end);
        ASSERT_FALSE(recs.empty()) << "empty data page " << pg;
        for (int i = end; i < 528; ++i)
            ASSERT_EQ(page[i], 0xFF) << "page " << pg << " tail byte " << i;
        // Pages are filled as far as they go: the tail of the previous page was too
        // short for this page's first record.
        if (prevTail >= 0) {
            EXPECT_LT(prevTail, 5 + 2 * chanu[recs.front().addr]) << "page " << pg;
        }
        prevTail = 528 - end;
        all.insert(all.end(), recs.begin(), recs.end());
    }
    int tmpEnd = 0;
    auto tmp = simtest::walk(s.tmpBuffer.data(), int(s.tmpBuffer.size()), chanu, tmpEnd);
    EXPECT_EQ(tmpEnd, int(s.tmpBuffer.size())) << "the buffer holds whole records only";
    EXPECT_LE(int(s.tmpBuffer.size()), p.tmpBytes);
    all.insert(all.end(), tmp.begin(), tmp.end());

    ASSERT_EQ(all.size(), s.records.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].addr, s.records[i].addr);
        EXPECT_EQ(all[i].tm, s.records[i].timeMarker);
        if (i > 0) {
            ASSERT_GE(all[i].tm, all[i - 1].tm) << "record " << i;
        }
    }
    if (!c.wrapped && !all.empty()) {
        EXPECT_LT(all.front().tm, 10u * 60 * 10);
    }

    // Each node reports every satmr seconds.
    std::map<uint8_t, uint32_t> last;
    for (const auto& r : all) {
        auto it = last.find(r.addr);
        if (it != last.end()) {
            EXPECT_EQ(r.tm - it->second, uint32_t(s.findNode(r.addr)->satmr) * 10);
        }
        last[r.addr] = r.tm;
    }
}

TEST_P(SessionLayout, PagesOutsideTheSessionAreBlankOrOldTables) {
    const Case& c = GetParam();
    SessionParams p;
    p.seed = c.seed, p.nodes = c.nodes, p.maxChannels = c.channels, p.pages = c.pages;
    p.wrapped = c.wrapped, p.tablePage = c.tablePage, p.oldTables = c.oldTables, p.highAddresses = c.high;
    Session s = make(p);
    std::set<uint16_t> used(s.dataPages.begin(), s.dataPages.end());
    used.insert(s.pageTab);

    // The verbose table index: pages whose first bytes are 0xFF and a length up to 528.
    std::vector<uint16_t> tables;
    for (int pg = 0; pg < 4096; ++pg) {
        const uint8_t* page = s.page(pg);
        if (page[0] == 0xFF && le16(page + 2) <= 528) tables.push_back(uint16_t(pg));
        if (used.count(uint16_t(pg))) continue;
        bool old = std::count(s.oldTablePages.begin(), s.oldTablePages.end(), pg) > 0;
        if (!old) {
            ASSERT_TRUE(std::all_of(page, page + 528, [](uint8_t b) { return b == 0xFF; })) << "page " << pg;
        } else {
            std::vector<simtest::TableNode> n;
            EXPECT_TRUE(simtest::parseTable(page, n)) << "old table " << pg;
        }
    }
    std::vector<uint16_t> want = s.oldTablePages;
    want.push_back(s.pageTab);
    std::sort(want.begin(), want.end());
    EXPECT_EQ(tables, want);
    EXPECT_EQ(int(s.oldTablePages.size()), c.oldTables);
}

INSTANTIATE_TEST_SUITE_P(Sim, SessionLayout, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SessionGenerator, SameSeedSameFlashOtherSeedOtherFlash) {
    SessionParams p;
    p.pages = 50;
    p.seed = 11;
    Session a = make(p), b = make(p);
    EXPECT_EQ(a.flash, b.flash);
    EXPECT_EQ(a.tmpBuffer, b.tmpBuffer);
    p.seed = 12;
    Session c = make(p);
    EXPECT_NE(a.flash, c.flash);
}

TEST(SessionGenerator, OversizedTablesAreCutDownToOnePage) {
    SessionParams p;
    p.nodes = 30;
    p.maxChannels = 64;
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        p.seed = seed;
        Session s = make(p);
        EXPECT_EQ(s.nodes.size(), 30u);
        EXPECT_LE(le16(s.page(s.pageTab) + 2), 528u);
        EXPECT_EQ(le16(s.page(s.pageTab) + 2), s.table.size());
    }
}

TEST(SessionGenerator, BrokenTableHasTwoCodeZeroChannelsInARow) {
    SessionParams p;
    p.brokenTable = true;
    p.seed = 5;
    Session s = make(p);
    int broken = 0;
    for (const Node& n : s.nodes)
        for (size_t i = 1; i < n.conf.size(); ++i)
            if ((n.conf[i - 1] & 0x1F) == 0 && (n.conf[i] & 0x1F) == 0) ++broken;
    EXPECT_EQ(broken, 1);
}

TEST(SessionGenerator, TemporaryBufferCanEndInACutRecordOrHoldAnUnknownNode) {
    SessionParams p;
    p.tmpBytes = 300;
    p.tmpCutRecord = true;
    Session s = make(p);
    auto chanu = chanuMap(s);
    int end = 0;
    simtest::walk(s.tmpBuffer.data(), int(s.tmpBuffer.size()), chanu, end);
    EXPECT_LT(end, int(s.tmpBuffer.size()));
    EXPECT_TRUE(chanu.count(s.tmpBuffer[size_t(end)])) << "the cut record still starts with a node address";

    p.tmpCutRecord = false;
    p.tmpBadNode = true;
    Session b = make(p);
    auto chanuB = chanuMap(b);
    simtest::walk(b.tmpBuffer.data(), int(b.tmpBuffer.size()), chanuB, end);
    ASSERT_LT(end, int(b.tmpBuffer.size()));
    EXPECT_FALSE(chanuB.count(b.tmpBuffer[size_t(end)]));
    EXPECT_NE(b.tmpBuffer[size_t(end)], 0x00);
}

TEST(SessionGenerator, SamplesIncludeNegativeErrorAndLargeUnsignedWords) {
    SessionParams p;
    p.nodes = 10;
    p.maxChannels = 10;
    p.pages = 200;
    Session s = make(p);
    bool negative = false, minusOne = false, bigUnsigned = false, pairAboveWord = false;
    for (const RecordRef& r : s.records) {
        if (r.page < 0) continue;
        const Node* n = s.findNode(r.addr);
        const uint8_t* rec = s.page(r.page) + r.offset + 5;
        for (int c = 0; c < n->chanu(); ++c) {
            auto w = int16_t(le16(rec + 2 * c));
            int code = n->conf[size_t(c)] & 0x1F;
            negative =
                negative || (w < -1 && code != 6 && code != 8 && code != 10 && code != 13 && code != 14);
            minusOne = minusOne || w == -1;
            bigUnsigned = bigUnsigned || (uint16_t(w) >= 38000 && (code == 6 || code == 10 || code == 14));
            if (code == 0 && le16(rec + 2 * c) > 0) pairAboveWord = true;
        }
    }
    EXPECT_TRUE(negative);
    EXPECT_TRUE(minusOne);
    EXPECT_TRUE(bigUnsigned);
    EXPECT_TRUE(pairAboveWord);
}

TEST(SessionGenerator, RejectsParametersOutOfRange) {
    const auto bad = [](auto tweak) {
        SessionParams p;
        tweak(p);
        Session s;
        std::string err;
        return !generateSession(p, s, err) && !err.empty();
    };
    EXPECT_TRUE(bad([](SessionParams& p) { p.nodes = 0; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.nodes = 31; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.maxChannels = 65; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.pages = 4096; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.tmpBytes = 529; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.start.month = 13; }));
    EXPECT_TRUE(bad([](SessionParams& p) { p.wrapped = true, p.oldTables = 1; }));
    EXPECT_TRUE(
        bad([](SessionParams& p) { p.nodes = 1, p.maxChannels = 1, p.satmr = 65535, p.pages = 4095; }));
}

}  // namespace
