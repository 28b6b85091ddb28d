#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "session/memory_model.h"
#include "support/fixtures.h"

using namespace vx::session;

namespace {

struct NodeSpec {
    uint8_t addr;
    std::vector<uint16_t> conf;
    uint16_t satmr = 60, vbat = 360;
};

void put16(std::vector<uint8_t>& t, unsigned v) {
    t.push_back(uint8_t(v));
    t.push_back(uint8_t(v >> 8));
}

// Writes a table page into TabAss; lengthDelta shortens or lengthens its length word.
void loadTable(const std::vector<NodeSpec>& nodes, int lengthDelta = 0) {
    std::vector<uint8_t> t = {0xFF, 3,    0,    0,    0x78, 0x56, 0x34, 0x12,
                              0x05, 0x04, 0x03, 0x28, 0x02, 0x24, 0,    0};
    for (const auto& n : nodes) {
        t.push_back(n.addr);
        t.push_back(uint8_t(n.conf.size()));
        put16(t, n.satmr);
        for (uint16_t w : n.conf)
            put16(t, w);
        put16(t, n.vbat);
    }
    ASSERT_LE(t.size(), size_t(PAGE_SIZE));
    unsigned len = unsigned(int(t.size()) + lengthDelta);
    t[2] = uint8_t(len), t[3] = uint8_t(len >> 8);
    std::memset(TabAss, 0, sizeof TabAss);
    std::memcpy(TabAss, t.data(), t.size());
}

class SessionModel : public vx::test::ProgramTest {};

TEST_F(SessionModel, DecodesNodesAndLogicalChannels) {
    // Configuration bits above the quantity code are not interpreted.
    loadTable({{7, {0x0105, 0x0000, 0x00EB, 0x0007}, 30, 365}, {200, {1, 0}, 600, 1}});
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(Pnom, 0x12345678u);
    ASSERT_EQ(TotalNodeNum, 2);
    EXPECT_EQ(TotalLogicCh, 4);

    const datitab& a = InfoFE[1];
    EXPECT_EQ(a.nodead, 7);
    EXPECT_EQ(a.chanu, 4);
    EXPECT_EQ(a.satmr, 30);
    EXPECT_EQ(a.vbat, 365);
    EXPECT_EQ(a.conf, TabAss + 20);
    ASSERT_EQ(a.chanu_logic, 3);
    EXPECT_EQ(std::vector<int>(a.ch_fisico, a.ch_fisico + 3), (std::vector<int>{0, 0x82, 3}));
    EXPECT_EQ(quantityCode(a, 0), 5);
    EXPECT_EQ(quantityCode(a, 1), 11);
    EXPECT_EQ(quantityCode(a, 2), 7);

    // A code-0 channel as the last one adds nothing.
    const datitab& b = InfoFE[2];
    EXPECT_EQ(b.nodead, 200);
    EXPECT_EQ(b.satmr, 600);
    EXPECT_EQ(b.vbat, 1);
    EXPECT_EQ(b.chanu_logic, 1);

    EXPECT_EQ(findNode(7), 1);
    EXPECT_EQ(findNode(200), 2);
    EXPECT_EQ(findNode(8), 0);
}

TEST_F(SessionModel, LogicalValuesAreSignedOrThirtyTwoBit) {
    loadTable({{7, {5, 0, 11, 7}}});
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    const struct {
        uint16_t s[4];
        int32_t v[3];
    } cases[] = {
        {{0xFFFB, 0x0001, 0x8000, 0x7FFF}, {-5, 98304, 32767}},
        {{0x8000, 0xFFFF, 0xFFFF, 0x8000}, {-32768, -1, -32768}},
        {{0, 0x8000, 0x0000, 0}, {0, INT32_MIN, 0}},
        {{0, 0x7FFF, 0xFFFF, 0}, {0, INT32_MAX, 0}},
    };
    for (const auto& c : cases) {
        uint8_t bytes[8];
        for (int i = 0; i < 4; ++i)
            bytes[2 * i] = uint8_t(c.s[i]), bytes[2 * i + 1] = uint8_t(c.s[i] >> 8);
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(logicalValue(InfoFE[1], j, bytes), c.v[j]) << "channel " << j;
    }
}

TEST_F(SessionModel, TableWithoutNodes) {
    loadTable({});
    EXPECT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(TotalNodeNum, 0);
    EXPECT_EQ(TotalLogicCh, 0);
}

TEST_F(SessionModel, LimitsOfTheNodeArrays) {
    std::vector<NodeSpec> thirty(30, NodeSpec{9, {1}});
    for (int i = 0; i < 30; ++i)
        thirty[i].addr = uint8_t(i + 1);
    loadTable(thirty);
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(TotalNodeNum, 30);
    EXPECT_EQ(findNode(30), 30);

    loadTable({{1, std::vector<uint16_t>(64, 1)}});
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(InfoFE[1].chanu_logic, 64);
    EXPECT_EQ(InfoFE[1].ch_fisico[63], 63);
}

TEST_F(SessionModel, RejectsTablesWithoutWritingPastTheArrays) {
    std::vector<NodeSpec> thirtyOne(31, NodeSpec{9, {}});
    const struct {
        const char* what;
        std::vector<NodeSpec> nodes;
        int lengthDelta;
        uint8_t byte0;
        TableStatus status;
    } cases[] = {
        {"not 0xFF", {{1, {1}}}, 0, 0xFE, TableStatus::NotATable},
        {"length 529", {{1, {1}}}, 529 - 24, 0xFF, TableStatus::NotATable},
        {"node runs past the length", {{1, {1, 2}}}, -1, 0xFF, TableStatus::NotATable},
        {"node head cut", {{1, {1}}, {2, {1}}}, -6, 0xFF, TableStatus::NotATable},
        {"two high words", {{1, {1}}, {2, {1, 0, 0x20, 3}}}, 0, 0xFF, TableStatus::TwoHighWords},
        {"31 nodes", thirtyOne, 0, 0xFF, TableStatus::TooManyNodes},
        {"65 logical channels", {{1, std::vector<uint16_t>(65, 2)}}, 0, 0xFF, TableStatus::TooManyChannels},
        {"200 channels", {{1, std::vector<uint16_t>(200, 0x21)}}, 0, 0xFF, TableStatus::TooManyChannels},
    };
    for (const auto& c : cases) {
        loadTable(c.nodes, c.lengthDelta);
        TabAss[0] = c.byte0;
        std::memset(&InfoFE[0], 0xA5, sizeof InfoFE[0]);
        InfoFE[2].nodead = 0x5A;  // just behind node 1's channel array
        EXPECT_EQ(decodeTabAss(), c.status) << c.what;
        EXPECT_EQ(TotalNodeNum, 0) << c.what;
        EXPECT_EQ(TotalLogicCh, 0) << c.what;
        EXPECT_EQ(InfoFE[0].nodead, 0xA5) << c.what;
        if (c.status == TableStatus::TooManyChannels) {
            EXPECT_EQ(InfoFE[2].nodead, 0x5A) << c.what;
        }
    }
}

TEST_F(SessionModel, TableLengthAndStartText) {
    uint8_t page[PAGE_SIZE] = {0xFF, 0, 0x10, 0x02};
    EXPECT_EQ(tableLength(page), 528);
    page[2] = 0x11;
    EXPECT_EQ(tableLength(page), -1);
    page[0] = 0xFE, page[2] = 0x10;
    EXPECT_EQ(tableLength(page), -1);

    loadTable({});
    char text[14];
    sessionStartText(TabAss, text);
    EXPECT_STREQ(text, "240228_030405");
}

TEST_F(SessionModel, PageArithmeticWraps) {
    EXPECT_EQ(pageAdd(0xFFF, 1), 0x000);
    EXPECT_EQ(pageAdd(0x000, -1), 0xFFF);
    EXPECT_EQ(pageAdd(0x800, 0x900), 0x100);
    EXPECT_EQ(pageAdd(0x011, 4), 0x015);
}

TEST_F(SessionModel, WalkStopsAtUnknownAddressOrPageEnd) {
    loadTable({{200, {1, 1}}, {7, {1}}});
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    std::vector<uint8_t> page = {200, 1, 0, 0, 0, 1, 0, 2, 0, 7, 2, 0, 0, 0, 3, 0, 0, 7, 9};
    std::vector<int> seen;
    size_t walked = walkRecords(page.data(), page.size(), [&](const uint8_t* r, int k) {
        seen.push_back(k);
        seen.push_back(r[1]);
    });
    EXPECT_EQ(walked, 16u);
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 2, 2}));

    // A record that would end beyond the buffer is not taken.
    EXPECT_EQ(walkRecords(page.data(), 15, [](const uint8_t*, int) {}), 9u);
}

TEST_F(SessionModel, SessionLengthRoundsTenthsHalfUp) {
    const struct {
        uint32_t first, last;
        const char* text;
    } cases[] = {
        {0, 905, "000000_000131"},
        {0, 904, "000000_000130"},
        {0, 0, "000000_000000"},
        {100, 100 + 2 * 864000 + 3 * 36000 + 4 * 600 + 50, "000002_030405"},
        {0, 0xFFFFFFFAu, "004971_003849"},
    };
    for (const auto& c : cases) {
        char text[14];
        sessionLength(c.first, c.last, text);
        EXPECT_STREQ(text, c.text) << c.first << ".." << c.last;
    }
}

}  // namespace
