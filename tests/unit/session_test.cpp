// Decoding the logger's memory (assignment table, records, time markers), the calendar,
// the texts of the quantities, and the averaging of records into the data record file.

#include <gtest/gtest.h>

#include <cstring>

#include "link/com.h"
#include "session/calendar.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/resample.h"
#include "session/session_report.h"
#include "session/verbose_dump.h"
#include "state/flags.h"
#include "support/fixtures.h"

using namespace vx::session;

namespace {

std::string text(const tempo& t) {  // compared as text, which a failure also shows
    char b[80];
    std::snprintf(b, sizeof b, "%u-%u-%u %u:%u:%u", t.anno, t.mese, t.giorno, t.ora, t.minuto, t.secondo);
    return b;
}

struct NodeRecord {
    uint8_t addr;
    std::vector<uint16_t> conf;
    uint16_t satmr = 60, vbat = 360;
};

void put16(std::vector<uint8_t>& t, unsigned v) {
    t.push_back(uint8_t(v));
    t.push_back(uint8_t(v >> 8));
}

// Writes the table page of a session started 240228_030405 (Pnom 0x12345678) into TabAss;
// lengthDelta changes its length word.
void loadTable(const std::vector<NodeRecord>& nodes, int lengthDelta = 0) {
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

using SessionModel = vx::test::ProgramTest;

// Ordinary tables are decoded in every download test; here the edges those never reach.
TEST_F(SessionModel, DecodesATrailingCode0AndTheExtremesOfLogicalValues) {
    loadTable({{7, {0x0105, 0x0000, 0x00EB, 0x0007}, 30, 365}, {200, {1, 0}, 600, 1}});
    ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(Pnom, 0x12345678u);
    EXPECT_EQ(TotalLogicCh, 4) << "a code-0 channel as the last one adds nothing";
    EXPECT_EQ((std::vector<int>{findNode(7), findNode(200), findNode(8)}), (std::vector<int>{1, 2, 0}));
    const datitab& a = InfoFE[1];
    // A signed word, or a pair's high word x 65536 + its unsigned low word.
    const struct {
        uint16_t s[4];
        int32_t v[3];
    } samples[] = {
        // clang-format off
        {{0xFFFB, 0x0001, 0x8000, 0x7FFF}, {-5, 98304, 32767}}, {{0x8000, 0xFFFF, 0xFFFF, 0x8000}, {-32768, -1, -32768}},
        {{0, 0x8000, 0x0000, 0}, {0, INT32_MIN, 0}},             {{0, 0x7FFF, 0xFFFF, 0}, {0, INT32_MAX, 0}},
        // clang-format on
    };
    for (const auto& c : samples) {
        uint8_t bytes[8];
        for (int i = 0; i < 4; ++i)
            bytes[2 * i] = uint8_t(c.s[i]), bytes[2 * i + 1] = uint8_t(c.s[i] >> 8);
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(logicalValue(a, j, bytes), c.v[j]) << "channel " << j;
    }
}

TEST_F(SessionModel, TablesAtTheLimitsOfTheArraysAreDecoded) {
    loadTable({});
    EXPECT_EQ(decodeTabAss(), TableStatus::Ok);
    EXPECT_EQ(TotalNodeNum, 0);
    std::vector<NodeRecord> thirty(30, NodeRecord{9, {1}});
    for (int i = 0; i < 30; ++i)
        thirty[size_t(i)].addr = uint8_t(i + 1);
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
    const struct {
        const char* what;
        std::vector<NodeRecord> nodes;
        int lengthDelta;
        uint8_t byte0;
        TableStatus status;
    } cases[] = {
        // clang-format off
        {"not 0xFF", {{1, {1}}}, 0, 0xFE, TableStatus::NotATable},
        {"length 529", {{1, {1}}}, 529 - 24, 0xFF, TableStatus::NotATable},
        {"node runs past the length", {{1, {1, 2}}}, -1, 0xFF, TableStatus::NotATable},
        {"node head cut", {{1, {1}}, {2, {1}}}, -6, 0xFF, TableStatus::NotATable},
        {"two code-0 channels in a row", {{1, {1}}, {2, {1, 0, 0x20, 3}}}, 0, 0xFF, TableStatus::TwoHighWords},
        {"31 nodes", std::vector<NodeRecord>(31, NodeRecord{9, {}}), 0, 0xFF, TableStatus::TooManyNodes},
        {"65 logical channels", {{1, std::vector<uint16_t>(65, 2)}}, 0, 0xFF, TableStatus::TooManyChannels},
        {"200 channels", {{1, std::vector<uint16_t>(200, 0x21)}}, 0, 0xFF, TableStatus::TooManyChannels},
        // clang-format on
    };
    for (const auto& c : cases) {
        loadTable({{5, {1, 2}}, {6, {3}}});
        ASSERT_EQ(decodeTabAss(), TableStatus::Ok);  // a table decoded before leaves nothing behind
        loadTable(c.nodes, c.lengthDelta);
        TabAss[0] = c.byte0;
        std::memset(&InfoFE[0], 0xA5, sizeof InfoFE[0]);
        InfoFE[2].nodead = 0x5A;  // just behind node 1's channel array
        EXPECT_EQ(decodeTabAss(), c.status) << c.what;
        EXPECT_EQ(TotalNodeNum, 0) << c.what;
        EXPECT_EQ(TotalLogicCh, 0) << c.what;
        EXPECT_EQ(InfoFE[0].nodead, 0xA5) << c.what;
        EXPECT_TRUE(c.status != TableStatus::TooManyChannels || InfoFE[2].nodead == 0x5A) << c.what;
    }
}

TEST_F(SessionModel, TableIndexLengthAndSessionLengthText) {
    uint8_t page[PAGE_SIZE] = {0xFF, 0, 0x10, 0x02};
    EXPECT_EQ(tableLength(page), 528);
    page[2] = 0x11;
    EXPECT_EQ(tableLength(page), -1);
    page[0] = 0xFE, page[2] = 0x10;
    EXPECT_EQ(tableLength(page), -1);
    char text[14];
    // The length of a session rounds tenths of a second half up.
    const struct {
        uint32_t first, last;
        const char* text;
    } lengths[] = {
        {0, 905, "000000_000131"},
        {0, 904, "000000_000130"},
        {0, 0, "000000_000000"},
        {0, 0xFFFFFFFAu, "004971_003849"},
        {100, 100 + 2 * 864000 + 3 * 36000 + 4 * 600 + 50, "000002_030405"},
    };
    for (const auto& c : lengths) {
        sessionLength(c.first, c.last, text);
        EXPECT_STREQ(text, c.text) << c.first << ".." << c.last;
    }
}

TEST_F(SessionModel, WalkStopsAtAnUnknownAddressOrAtTheEndOfTheBuffer) {
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
    EXPECT_EQ(walkRecords(page.data(), 15, [](const uint8_t*, int) {}), 9u) << "a record cut by the end";
}

TEST(SessionCalendar, DaysOfMonthAndTimeMarkers) {
    // February has 29 days in every two-digit year divisible by 4, 00 included.
    const uint32_t cases[][3] = {
        {12, 2, 29}, {8, 2, 29},   {28, 2, 29}, {4, 2, 29},   {0, 2, 29},  {32, 2, 29},
        {96, 2, 29}, {10, 2, 28},  {99, 2, 28}, {1, 2, 28},   {12, 1, 31}, {12, 7, 31},
        {12, 8, 31}, {12, 12, 31}, {12, 4, 30}, {12, 11, 30}, {12, 0, 0},  {12, 13, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(giorniMese(c[0], c[1]), c[2]) << c[0] << "/" << c[1];

    const struct {
        tempo ref;
        uint32_t marker;
        tempo expected;
    } markers[] = {
        {{12, 2, 28, 23, 59, 50}, 200, {12, 2, 29, 0, 0, 10}},
        {{0, 2, 28, 23, 59, 50}, 200, {0, 2, 29, 0, 0, 10}},
        {{10, 2, 28, 23, 59, 50}, 200, {10, 3, 1, 0, 0, 10}},
        {{10, 2, 28, 23, 59, 50}, 209, {10, 3, 1, 0, 0, 10}},  // the last tenth is dropped
        {{11, 12, 31, 23, 59, 59}, 10, {12, 1, 1, 0, 0, 0}},
        {{10, 1, 1, 0, 0, 0}, 59 * 864000, {10, 3, 1, 0, 0, 0}},
        {{10, 1, 1, 0, 0, 0}, 2 * 864000 + 3 * 36000 + 4 * 600 + 5 * 10, {10, 1, 3, 3, 4, 5}},
        {{24, 1, 31, 12, 0, 0}, 400 * 864000, {25, 3, 6, 12, 0, 0}},
        // Years of days: taken four years at a time, the same as month by month.
        {{23, 3, 1, 0, 0, 0}, 1461 * 864000, {27, 3, 1, 0, 0, 0}},
        {{24, 2, 29, 0, 0, 0}, 4971 * 864000u, {37, 10, 9, 0, 0, 0}},
        {{24, 1, 31, 12, 0, 0}, 4294967295u, {37, 9, 10, 12, 38, 49}},
        // An invalid month has no length: the day is left as it is instead of looping.
        {{10, 13, 40, 0, 0, 0}, 0, {10, 13, 40, 0, 0, 0}},
        {{10, 0, 5, 0, 0, 0}, 0, {10, 0, 5, 0, 0, 0}},
    };
    for (const auto& c : markers)
        EXPECT_EQ(text(timeAdj(c.ref, c.marker)), text(c.expected)) << text(c.ref) << " + " << c.marker;
}

TEST(SessionQuantities, AdjValueScalesAndFormatsByCode) {
    const struct {
        int code;
        int32_t x;
        const char* text;
        float shown;
    } cases[] = {
        // clang-format off
        // unsigned quantities read -1 as 65535, signed ones as -1
        {8, -1, "6553.5", 6553.5f}, {10, -1, "6553.5", 6553.5f}, {13, -1, "6553.5", 6553.5f},
        {14, -1, "6553.5", 6553.5f}, {7, -1, "-0.1", -0.1f}, {9, -1, "-0.1", -0.1f}, {15, -1, "-0.1", -0.1f},
        {16, -1, "-0.1", -0.1f},
        // pressure: one 16-bit word, read either way; -1 is the sensor's error value
        {6, 40000, "1000.00", 1000.0f}, {6, -25536, "1000.00", 1000.0f}, {6, -1, "Err", 0.0f},
        {6, 0, "600.00", 600.0f}, {1, 2345, "23.45", 23.45f}, {3, -150, "-1.50", -1.5f}, {2, 5, "0.05", 0.05f},
        {4, 10000, "100.00", 100.0f}, {5, -1, "-0.01", -0.01f}, {19, 1234, "12.34", 12.34f},
        {17, 1500, "1.50", 1.5f}, {17, -1, "-0.00", -0.001f}, {11, -5, "-5", -5.0f},
        {12, 98304, "98304", 98304.0f}, {18, -1, "-1", -1.0f}, {0, 70000, "70000", 70000.0f},
        {20, -2, "-2", -2.0f}, {31, 65535, "65535", 65535.0f},
        // clang-format on
    };
    for (const auto& c : cases) {
        char text[ADJ_TEXT_MAX] = "junk";
        float shown = adj_value(text, int8_t(c.code), c.x);
        EXPECT_STREQ(text, c.text) << "code " << c.code << " x " << c.x;
        EXPECT_FLOAT_EQ(shown, c.shown) << "code " << c.code << " x " << c.x;
    }

    const struct {
        int code;
        float x;
        const char* text;
    } scaled[] = {
        {1, 23.456f, "23.46"}, {6, 1013.2f, "1013.20"}, {17, 1.5f, "1.50"}, {19, -0.4f, "-0.40"},
        {7, 12.34f, "12.3"},   {8, 6553.5f, "6553.5"},  {16, 0.0f, "0.0"},  {13, 230.06f, "230.1"},
        {11, 12.6f, "13"},     {12, -3.2f, "-3"},       {18, 7.0f, "7"},    {0, 2.7f, "3"},
        {20, 3.4f, "3"},
    };
    for (const auto& c : scaled) {
        char text[ADJ_TEXT_MAX];
        adj_value2(text, int8_t(c.code), c.x);
        EXPECT_STREQ(text, c.text) << "code " << c.code;
    }
}

// The texts must be those of printing the single-precision quotient, for 16-bit values
// and for the large values of 32-bit channels alike.
TEST(SessionQuantities, AdjValueTextIsThePrintedSinglePrecisionQuotient) {
    std::vector<int64_t> xs = {999999,   1000000,  1000001,   -999999,  -1000000,
                               -1000001, 16777217, INT32_MAX, INT32_MIN};
    for (int64_t x = -70000; x <= 70000; ++x)
        xs.push_back(x);
    for (int64_t x = -1100000; x <= 1100000; x += 997)
        xs.push_back(x);
    for (int64_t x = INT32_MIN; x < INT32_MAX - 65521; x += 65521 * 7)
        xs.push_back(x);  // 32-bit channels
    for (int code : {1, 8, 11, 17}) {
        for (int64_t x : xs) {
            char text[ADJ_TEXT_MAX], expected[ADJ_TEXT_MAX];
            adj_value(text, int8_t(code), int32_t(x));
            int64_t u = code == 8 && x < 0 ? x + 65536 : x;
            float divisor = code == 1 ? 100.0f : code == 8 ? 10.0f : 1000.0f;
            if (code == 11)
                std::snprintf(expected, sizeof expected, "%d", int32_t(x));
            else
                std::snprintf(expected, sizeof expected, code == 8 ? "%.1f" : "%.2f",
                              double(float(u) / divisor));
            ASSERT_STREQ(text, expected) << "code " << code << " x " << x;
        }
    }
}

std::string fileText(FILE* f) {
    std::string text(size_t(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), f), text.size());
    std::fclose(f);
    return text;
}

class SessionResample : public vx::test::ProgramTest {
  protected:
    void table(const std::vector<NodeRecord>& nodes) {
        loadTable(nodes);
        ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
    }
    void record(uint8_t addr, uint32_t marker, std::vector<int> samples) {
        scratch.push_back(addr);
        put16(scratch, marker & 0xFFFF);
        put16(scratch, marker >> 16);
        for (int s : samples)
            put16(scratch, unsigned(s) & 0xFFFF);
    }
    std::vector<uint8_t> scratch;
};

// The download tests' sessions leave no interval without records (no node's timer is
// longer than a row); an empty one before later records must still give a row.
TEST_F(SessionResample, EmptyIntervalBeforeLaterRecordsGivesARow) {
    table({{7, {11}}});
    record(7, 100, {4});
    record(7, 500, {6});
    ScratchReader gap(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(200, 100, gap), 1);
    EXPECT_EQ(interpData(200, 300, gap), 1);
    EXPECT_EQ(InfoFE[1].n, 0u);
    EXPECT_EQ(interpData(200, 500, gap), 1);
    EXPECT_EQ(InfoFE[1].sdati[0], 6);
}

TEST_F(SessionResample, UnknownNodeOrCutRecordEndsTheData) {
    table({{7, {11, 11}}});
    record(7, 10, {1, 2});
    record(8, 20, {1, 2});  // not in the table
    record(7, 30, {3, 4});
    ScratchReader reader(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(100, 0, reader), 1);
    EXPECT_EQ(InfoFE[1].n, 1u);
    EXPECT_EQ(interpData(100, 100, reader), 0);
    EXPECT_EQ(interpData(100, 200, reader), 0);

    scratch.clear();
    record(7, 10, {1, 2});
    record(7, 20, {3, 4});
    scratch.resize(16);  // the second record is 2 bytes short
    ScratchReader cut(scratch.data(), scratch.size());
    EXPECT_EQ(interpData(100, 0, cut), 1);
    EXPECT_EQ(InfoFE[1].n, 1u);
    EXPECT_EQ(InfoFE[1].sdati[1], 2);
}

TEST_F(SessionResample, AveragesRoundHalvesToEven) {
    table({{7, {11}}});
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
        EXPECT_EQ(fileText(out), c.text) << c.sum << "/" << c.n;
    }
    EXPECT_EQ(InfoSES.nItem, 9u);
}

class SessionReport : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        loadTable({{7, {1, 0, 11}, 30, 365}, {200, {6}, 600, 500}});
        ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
        setCommPort("COM3");
        std::strcpy(FW_release, "2.05");
        std::strcpy(PageTab, "0010");
        std::strcpy(PageFirst, "0011");
        std::strcpy(PageLast, "0015");
        TotalPagNum = 5;
        TotalPagNumDload = 4;
        StatusReg = 0x18;
        ErrorsReg = 0x0A;
        std::strcpy(DataTimePC, "240301_101112");
        std::strcpy(DataTimeDL, "240301_101015");
        std::strcpy(DataTimeSS, "240228_030405");
        std::strcpy(DurataSessione, "000002_070605");
    }
};

const char* const kTail =
    "PC Clock................. 240301_101112\r\n"
    "Datalogger Clock......... 240301_101015\r\n"
    "Start session............ 240228_030405\r\n"
    "Length session........... 000002_070605\r\n\r\n"
    "- Node 7 (SaTmr= 30 s, Vbat= 3.65 V)\r\n"
    "  - Ch 1 (Temperature (0.00 \xB0"
    "C))\r\n"
    "  - Ch 2 (DC Power (W))\r\n"
    "\r\n"
    "- Node 200 (SaTmr= 600 s, Vbat= 5.00 V)\r\n"
    "  - Ch 1 (Air Pressure (0.00 hPa) )\r\n"
    "\r\n";

TEST_F(SessionReport, ReportByDeviceKindAndVerbosity) {
    const struct {
        int vt71, nod85, verb;
        const char* head;
    } cases[] = {
        {0, 0, 0, "QM4X Firmware Version.... 2.05\r\n\r\n"},
        {1, 1, 0, "VT Firmware Version...... 2.05\r\n\r\n"},
        {0, 1, 0, "NOD85 Firmware Version... 2.05\r\n\r\n"},
        {0, 0, 1,
         "QM4X Firmware Version.... 2.05\r\n\r\n"
         "Table page........ 0x0010\r\n"
         "First page........ 0x0011\r\n"
         "Last page......... 0x0015\r\n"
         "Total data pages.. 5\r\n"
         "Status Register... 0x18\r\n"
         "Errors Register... 0x0A\r\n\r\n"},
    };
    void* box = &ui;
    for (const auto& c : cases) {
        Flag.VT71 = c.vt71;
        Flag.NOD85 = c.nod85;
        ui.texts[box] = "left over";
        printInfoSes(box, c.verb);
        EXPECT_EQ(ui.texts[box], std::string("Communication Port....... COM3\r\n") + c.head + kTail);
    }
}

TEST_F(SessionReport, VerboseDump) {
    const uint8_t records[] = {7, 0x10, 0,    0, 0,    0x34, 0x12, 0x01, 0x00, 0x00, 0x80, 200,  0x20, 0,   0,
                               0, 0xFF, 0xFF, 7, 0x30, 0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    ScratchReader reader(records, sizeof records);

    FILE* f = std::tmpfile();
    dumpFirstHeading(f);
    uint8_t chunk[CHUNK_SIZE] = {};
    std::memcpy(chunk, TabAss, 16);
    dumpTableIndexLine(f, 0x0010, chunk);
    chunk[1] = 200, chunk[13] = 0x99;
    dumpTableIndexLine(f, 0x0FFF, chunk);
    dumpSessionInfo(f, 0x0012);
    dumpRecords(f, reader);

    EXPECT_EQ(fileText(f),
              "Tabelle di assegnazione valide rilevate ***************************************\r\n\r\n"
              "Page...0x0010 240228_030405 3\r\n"
              "Page...0x0FFF 990228_030405 200\r\n"
              "\r\n"
              "Informazioni sull'ultima sessione di misura ***********************************\r\n\r\n"
              "FW release...............2.05\r\n"
              "Table page...............0x0010\r\n"
              "First page...............0x0012\r\n"
              "Last page................0x0015\r\n"
              "Total data pages.........4\r\n"
              "Status Register..........0x18\r\n"
              "Errors Register..........0x0A\r\n\r\n"
              "Dati relativi all'ultima sessione di misura ***********************************\r\n\r\n"
              "TM[s/10] CH7_1(Temperature (0.00 \xB0"
              "C)) CH7_2(DC Power (W)) \r\n"
              "TM[s/10] CH200_1(Air Pressure (0.00 hPa) ) \r\n"
              "16 4660 98304 \r\n"
              "32 -1 \r\n"
              "48 -1 -1 \r\n");
}

}  // namespace
