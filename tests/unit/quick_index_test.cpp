// Quick mode's inputs: the session index of the dump, the image checks of Load, the page
// number typed in the viewer and the sample time.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace {

using vx::quick::IndTab;
using vx::quick::Table;

using vx::ui::Icon;

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream f(name, std::ios::binary);
    f << bytes;
}

std::string indexLine(const char* page, const char* start, unsigned byte1) {
    return std::string("Page...0x") + page + " " + start + " " + std::to_string(byte1) + "\r\n";
}

const std::string kHeading =
    "Tabelle di assegnazione valide rilevate ***************************************\r\n\r\n";
const std::string kInfo =
    "\r\nInformazioni sull'ultima sessione di misura ***********************************\r\n\r\n";

TEST(QuickIndex, DumpIndexLinesFillTheSessionList) {
    struct Case {
        const char* what;
        std::string dump;
        std::vector<std::string> starts, pages;
        int vt71;
    };
    const std::string three = kHeading + indexLine("0012", "240101_080000", 3) +
                              indexLine("0345", "240202_090000", 250) + indexLine("0FFF", "240303_100000", 0);
    const Case cases[] = {
        {"three lines, logger firmware",
         three + kInfo + "FW release...............20\r\n",
         {"240101_080000", "240202_090000", "240303_100000"},
         {"0012", "0345", "0FFF"},
         0},
        {"board firmware",
         three + kInfo + "FW release...............5.1\r\n",
         {"240101_080000", "240202_090000", "240303_100000"},
         {"0012", "0345", "0FFF"},
         1},
        {"lines after the first F are not read",
         kHeading + indexLine("0001", "230101_000000", 1) + "Fine\r\n" +
             indexLine("0002", "230102_000000", 1),
         {"230101_000000"},
         {"0001"},
         0},
        {"other P words are skipped",
         "Pagina Page..0x0003 x\r\n" + indexLine("0004", "230104_000000", 9),
         {"230104_000000"},
         {"0004"},
         0},
        {"a line cut off at the end",
         kHeading + indexLine("0005", "230105_000000", 1) + "Page...0x0006 2301",
         {"230105_000000"},
         {"0005"},
         0},
        {"no line", kHeading + kInfo, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Flag.VT71 = 0;
        vx::quick::parseSessionIndex(c.dump);
        ASSERT_EQ(IndTab, int32_t(c.starts.size()));
        for (size_t i = 0; i < c.starts.size(); ++i) {
            EXPECT_EQ(Table[i].datainizio, c.starts[i]);
            EXPECT_EQ(Table[i].pagetab, c.pages[i]);
        }
        EXPECT_EQ(Flag.VT71, c.vt71);
    }
}

TEST(QuickIndex, EveryPageOfTheMemoryCanBeATableWithoutOverflow) {
    std::string dump = kHeading;
    char page[8];
    for (int p = 0; p < 4100; ++p) {  // more lines than pages: the rest is ignored
        std::snprintf(page, sizeof page, "%04X", unsigned(p & 0xFFF));
        dump += indexLine(page, "240101_000000", 1);
    }
    vx::quick::parseSessionIndex(dump);
    EXPECT_EQ(IndTab, 4096);
    EXPECT_STREQ(Table[2048].pagetab, "0800");
    EXPECT_STREQ(Table[4095].pagetab, "0FFF");
}

TEST(QuickIndex, SetPageTabTakesTheFirstMatchingStartAndRejectsNonPages) {
    vx::quick::parseSessionIndex(
        indexLine("0123", "240101_080000", 1) + indexLine("0456", "240101_080000", 1) +
        indexLine("12G4", "240909_000000", 1) + indexLine("0ABC", "240202_000000", 1));
    struct Case {
        const char* start;
        int32_t result;
        uint16_t page;
    };
    const Case cases[] = {{"240101_080000", 1, 0x123},
                          {"240202_000000", 1, 0xABC},
                          {"240909_000000", 0, 0},
                          {"990101_000000", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        PagTab = 0;
        EXPECT_EQ(setPageTab(c.start), c.result);
        if (c.result) {
            EXPECT_EQ(PagTab, c.page);
            char text[5];
            std::snprintf(text, sizeof text, "%04X", unsigned(c.page));
            EXPECT_STREQ(PageTab, text);
        }
    }
    EXPECT_EQ(setPageTabEntry(1), 1);
    EXPECT_EQ(PagTab, 0x456) << "the entry chosen, not the first with its start";
}

using QuickLoadTest = vx::test::SimLoggerTest;  // a scratch working directory

TEST_F(QuickLoadTest, LoadChecksTheImageAndTheDump) {
    const std::string dump = kHeading + indexLine("0010", "240517_083000", 7) +
                             indexLine("0020", "240518_083000", 7) + indexLine("0030", "240519_083000", 7) +
                             kInfo + "FW release...............20\r\n";
    struct Case {
        const char* what;
        long imageSize;  // -1: no image
        bool dumpThere, chosen;
        std::string dumpText;
        int32_t result;
        const char* message;
    };
    const Case cases[] = {
        {"no image", -1, true, true, dump, 0, "QM41data.bin file not found !"},
        {"one byte short", 2162687, true, true, dump, 0, "QM41data.bin size not valid !"},
        {"one byte long", 2162689, true, true, dump, 0, "QM41data.bin size not valid !"},
        {"dump missing", 2162688, false, true, dump, 0, "QM41data.txt file not found !"},
        {"choice cancelled", 2162688, true, false, dump, 0, "QM41data.txt file not found !"},
        {"no index line", 2162688, true, true, kHeading + kInfo, 0, "No session found !"},
        {"three sessions", 2162688, true, true, dump, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove("QM41data.bin");
        std::filesystem::remove("dump.txt");
        if (c.imageSize >= 0) writeFile("QM41data.bin", std::string(size_t(c.imageSize), '\xFF'));
        if (c.dumpThere) writeFile("dump.txt", c.dumpText);
        ui.messages.clear();
        Flag.VT71 = 1;
        ui.chooseFile(c.chosen ? std::optional<std::string>("dump.txt") : std::nullopt);
        EXPECT_EQ(vx::quick::loadTable(nullptr), c.result);
        EXPECT_EQ(Flag.VT71, 0);
        if (c.message) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(ui.messages[0].caption, "File Error");
            EXPECT_EQ(ui.messages[0].icon, Icon::Error);
        } else {
            EXPECT_TRUE(ui.messages.empty());
            ASSERT_EQ(IndTab, 3);
            EXPECT_STREQ(Table[2].datainizio, "240519_083000");
        }
    }
}

TEST(QuickEntry, TypedPageNumbersAreClampedToTheMemory) {
    struct Case {
        const char* typed;
        uint16_t page;
        const char* shown;
    };
    const Case cases[] = {
        {"1A3", 0x01A3, "0x01A3"},  {"2000", 0x0000, "0x0000"},       {"0x01a3", 0x01A3, "0x01A3"},
        {"FFF", 0x0FFF, "0x0FFF"},  {"1000", 0x0000, "0x0000"},       {"fff", 0x0FFF, "0x0FFF"},
        {"", 0x0000, "0x0000"},     {"xyz", 0x0000, "0x0000"},        {"-1", 0x0000, "0x0000"},
        {" 12 ", 0x0012, "0x0012"}, {"FFFFFFFFFF", 0x0000, "0x0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(vx::quick::parsePageEntry(c.typed), c.page);
        EXPECT_EQ(vx::quick::pageEntryText(vx::quick::parsePageEntry(c.typed)), c.shown);
    }
}

TEST(QuickEntry, SampleTimeRule) {
    struct Case {
        const char* typed;
        bool valid;
        uint16_t tsample;  // after the call, starting from 1800
    };
    const Case cases[] = {{"60", true, 60},     {"1", true, 1},         {"65535", true, 65535},
                          {"0", false, 1800},   {"65536", false, 1800}, {"", false, 1800},
                          {"12a", false, 1800}, {"-5", false, 1800},    {"99999999999", false, 1800}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Tsample = 1800;
        Flag.sample_error = c.valid ? 1 : 0;
        EXPECT_EQ(vx::quick::applySampleTime(c.typed), c.valid);
        EXPECT_EQ(Flag.sample_error, c.valid ? 0 : 1);
        EXPECT_EQ(Tsample, c.tsample);
    }
}

TEST(QuickEntry, StartNeedsTableBothPagesAndSampleTime) {
    struct Case {
        int table, first, last, sample;
        bool start;
    };
    const Case cases[] = {{0, 0, 0, 0, true},
                          {1, 0, 0, 0, false},
                          {0, 1, 0, 0, false},
                          {0, 0, 1, 0, false},
                          {0, 0, 0, 1, false}};
    for (const Case& c : cases) {
        Flag.table_error = c.table;
        Flag.pagefirst_error = c.first;
        Flag.pagelast_error = c.last;
        Flag.sample_error = c.sample;
        EXPECT_EQ(vx::quick::startAllowed(), c.start) << c.table << c.first << c.last << c.sample;
    }
    vx::quick::QuickControls opened = vx::quick::openQuickMode();
    EXPECT_FALSE(opened.start || opened.pageFirst || opened.pageLast);
    EXPECT_EQ(Flag.table_error + Flag.pagefirst_error + Flag.pagelast_error, 3);
}

}  // namespace
