#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/memory_model.h"
#include "session/resample.h"
#include "support/fixtures.h"

using namespace vx::session;

namespace {

struct NodeSpec {
    uint8_t addr;
    std::vector<uint16_t> conf;
};

void put16(std::vector<uint8_t>& t, unsigned v) {
    t.push_back(uint8_t(v));
    t.push_back(uint8_t(v >> 8));
}

void loadTable(const std::vector<NodeSpec>& nodes) {
    std::vector<uint8_t> t(16);
    t[0] = 0xFF;
    for (const auto& n : nodes) {
        t.push_back(n.addr);
        t.push_back(uint8_t(n.conf.size()));
        put16(t, 60);
        for (uint16_t w : n.conf)
            put16(t, w);
        put16(t, 360);
    }
    t[2] = uint8_t(t.size()), t[3] = uint8_t(t.size() >> 8);
    std::memcpy(TabAss, t.data(), t.size());
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
}

class SessionResample : public vx::test::ProgramTest {
  protected:
    void record(uint8_t addr, uint32_t marker, std::vector<int> samples) {
        std::vector<uint8_t> r = {addr};
        put16(r, marker & 0xFFFF);
        put16(r, marker >> 16);
        for (int s : samples)
            put16(r, unsigned(s) & 0xFFFF);
        scratch.insert(scratch.end(), r.begin(), r.end());
    }
    // The data record file as the download writes it, for rows first, first + tcf, ... < last.
    std::string dataFile(uint32_t first, uint32_t last) {
        ScratchReader reader(scratch.data(), scratch.size());
        FILE* out = std::tmpfile();
        printHeader(out);
        uint32_t tcf = 10u * Tsample;
        for (uint32_t t = first; t < last; t += tcf)
            if (interpData(tcf, t, reader) == 1) printData(out);
        std::string text(size_t(std::ftell(out)), '\0');
        std::rewind(out);
        EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
        std::fclose(out);
        return text;
    }
    std::vector<uint8_t> scratch;
};

TEST_F(SessionResample, IntervalsAreCentredOnTheRowTimes) {
    loadTable({{7, {11}}});
    for (uint32_t m = 1000; m <= 2500; m += 100)
        record(7, m, {int(m / 100)});
    ScratchReader reader(scratch.data(), scratch.size());
    const struct {
        uint32_t iref;
        int32_t result;
        uint16_t n;
        int64_t sum;
    } steps[] = {
        {1000, 1, 3, 10 + 11 + 12},                 // below 1300
        {1600, 1, 6, 13 + 14 + 15 + 16 + 17 + 18},  // 1300..1899
        {2200, 1, 6, 19 + 20 + 21 + 22 + 23 + 24},  // 1900..2499
        {2800, 1, 1, 25},                           // the end of the data
        {3400, 0, 0, 0},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(interpData(600, s.iref, reader), s.result) << s.iref;
        EXPECT_EQ(InfoFE[1].n, s.n) << s.iref;
        EXPECT_EQ(InfoFE[1].sdati[0], s.sum) << s.iref;
    }
}

TEST_F(SessionResample, EmptyIntervalBeforeLaterRecordsGivesARow) {
    loadTable({{7, {11}}});
    record(7, 100, {4});
    record(7, 500, {6});
    ScratchReader reader(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(200, 100, reader), 1);
    EXPECT_EQ(interpData(200, 300, reader), 1);
    EXPECT_EQ(InfoFE[1].n, 0);
    EXPECT_EQ(interpData(200, 500, reader), 1);
    EXPECT_EQ(InfoFE[1].sdati[0], 6);
}

TEST_F(SessionResample, UnknownNodeOrCutRecordEndsTheData) {
    loadTable({{7, {11, 11}}});
    record(7, 10, {1, 2});
    record(8, 20, {1, 2});  // not in the table
    record(7, 30, {3, 4});
    ScratchReader reader(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(100, 0, reader), 1);
    EXPECT_EQ(InfoFE[1].n, 1);
    EXPECT_EQ(interpData(100, 100, reader), 0);
    EXPECT_EQ(interpData(100, 200, reader), 0);

    scratch.clear();
    record(7, 10, {1, 2});
    record(7, 20, {3, 4});
    scratch.resize(16);  // the second record is 2 bytes short
    ScratchReader cut(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(100, 0, cut), 1);
    EXPECT_EQ(InfoFE[1].n, 1);
    EXPECT_EQ(InfoFE[1].sdati[1], 2);
}

TEST_F(SessionResample, AveragesRoundHalvesToEven) {
    loadTable({{7, {11}}});
    const struct {
        int64_t sum;
        uint16_t n;
        const char* text;
    } cases[] = {
        {5, 2, "2 \r\n"},   {7, 2, "4 \r\n"},         {-5, 2, "-2 \r\n"},
        {-7, 2, "-4 \r\n"}, {10, 3, "3 \r\n"},        {11, 3, "4 \r\n"},
        {0, 0, "0 \r\n"},   {98304, 1, "98304 \r\n"}, {int64_t(3) * INT32_MAX, 1, "2147483647 \r\n"},
    };
    for (const auto& c : cases) {
        InfoFE[1].sdati[0] = c.sum;
        InfoFE[1].n = c.n;
        FILE* out = std::tmpfile();
        printData(out);
        std::string text(size_t(std::ftell(out)), '\0');
        std::rewind(out);
        ASSERT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
        std::fclose(out);
        EXPECT_EQ(text, c.text) << c.sum << "/" << c.n;
    }
    EXPECT_EQ(InfoSES.nItem, 9u);
}

TEST_F(SessionResample, WholeDataRecordFile) {
    // Node 7: two temperatures; node 200: a 32-bit power and a pressure.
    loadTable({{7, {1, 3}}, {200, {0, 11, 6}}});
    Tsample = 2;
    record(7, 100, {2000, -150});
    record(200, 105, {0x0001, 0x8000, 40000});
    record(7, 108, {2001, -151});
    record(7, 115, {2500, 100});  // node 200 silent from here: default values
    record(200, 135, {0xFFFF, 0xFFFF, 0xFFFF});
    const std::string expected =
        "Time[s]: 2\r\n"
        "\"CH7_1: Temperature (0.00 \xB0"
        "C)\" \"CH7_2: Air Temperature (0.00 \xB0"
        "C)\" "
        "\"CH200_1: DC Power (W)\" \"CH200_2: Air Pressure (0.00 hPa) \" \r\n"
        "20.00 -1.50 98304 1000.00 \r\n"
        "25.00 1.00 0 600.00 \r\n"
        "0.00 0.00 -1 Err \r\n";
    EXPECT_EQ(dataFile(100, 150), expected);
    EXPECT_EQ(InfoSES.nItem, 3u);
}

TEST_F(SessionResample, NodeThatStopsSendingGetsDefaults) {
    loadTable({{1, {1}}, {2, {1}}});
    Tsample = 1;
    record(1, 0, {100});
    record(2, 1, {250});
    record(1, 10, {200});
    record(1, 20, {300});
    EXPECT_EQ(dataFile(0, 30),
              "Time[s]: 1\r\n"
              "\"CH1_1: Temperature (0.00 \xB0"
              "C)\" \"CH2_1: Temperature (0.00 \xB0"
              "C)\" \r\n"
              "1.00 2.50 \r\n"
              "2.00 0.00 \r\n"
              "3.00 0.00 \r\n");
}

}  // namespace
