// Quick mode: the session index of the dump, the image checks of Load, the page number and
// sample time typed, then on flash images of generated sessions the page range, the
// report, the page viewer and the data record file, byte for byte as a download of the
// same session writes it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "link/com.h"
#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "quick/quick_session.h"
#include "session/download.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "sim/session.h"
#include "state/flags.h"
#include "support/reference_table.h"
#include "support/sim_logger.h"
#include "ui/wait_window.h"

namespace {

using vx::quick::IndTab;
using vx::quick::PageView;
using vx::quick::Table;
using vx::sim::SessionParams;

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string indexLine(const char* page, const char* start, unsigned byte1) {
    return std::string("Page...0x") + page + " " + start + " " + std::to_string(byte1) + "\r\n";
}

const std::string kHeading =
    "Tabelle di assegnazione valide rilevate ***************************************\r\n\r\n";
const std::string kInfo =
    "\r\nInformazioni sull'ultima sessione di misura ***********************************\r\n\r\n";
const std::string kLoggerFw = kInfo + "FW release...............20\r\n";

TEST(QuickIndex, DumpIndexLinesFillTheSessionList) {
    const std::string three = kHeading + indexLine("0012", "240101_080000", 3) +
                              indexLine("0345", "240202_090000", 250) + indexLine("0FFF", "240303_100000", 0);
    const std::vector<std::string> threeRead = {"0012 240101_080000", "0345 240202_090000",
                                                "0FFF 240303_100000"};
    // The table page and start of each session read.
    const std::tuple<const char*, std::string, std::vector<std::string>, int> cases[] = {
        {"three lines, logger firmware", three + kLoggerFw, threeRead, 0},
        {"board firmware", three + kInfo + "FW release...............5.1\r\n", threeRead, 1},
        {"lines after the first F are not read",
         kHeading + indexLine("0001", "230101_000000", 1) + "Fine\r\n" +
             indexLine("0002", "230102_000000", 1),
         {"0001 230101_000000"},
         0},
        {"other P words are skipped",
         "Pagina Page..0x0003 x\r\n" + indexLine("0004", "230104_000000", 9),
         {"0004 230104_000000"},
         0},
        {"a line cut off at the end",
         kHeading + indexLine("0005", "230105_000000", 1) + "Page...0x0006 2301",
         {"0005 230105_000000"},
         0},
        {"no line", kHeading + kInfo, {}, 0}};
    for (const auto& [what, dump, read, vt71] : cases) {
        SCOPED_TRACE(what);
        Flag.VT71 = 0;
        vx::quick::parseSessionIndex(dump);
        std::vector<std::string> got;
        for (int i = 0; i < IndTab; ++i)
            got.push_back(std::string(Table[i].pagetab) + " " + Table[i].datainizio);
        EXPECT_EQ(got, read);
        EXPECT_EQ(Flag.VT71, vt71);
    }
    // Every page of the memory can be a table; more lines than pages are ignored.
    std::string dump = kHeading;
    char page[8];
    for (int p = 0; p < 4100; ++p) {
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
    const std::tuple<const char*, int32_t, uint16_t, const char*> cases[] = {
        {"240101_080000", 1, 0x123, "0123"},
        {"240202_000000", 1, 0xABC, "0ABC"},
        {"240909_000000", 0, 0, ""},
        {"990101_000000", 0, 0, ""}};
    for (auto [start, result, page, text] : cases) {
        SCOPED_TRACE(start);
        PagTab = 0;
        EXPECT_EQ(setPageTab(start), result);
        if (result) {
            EXPECT_EQ(PagTab, page);
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
                             kLoggerFw;
    // Image size (-1: none), whether the dump is there and chosen, its text, and the message.
    const std::tuple<long, bool, bool, std::string, const char*> cases[] = {
        {-1, true, true, dump, "QM41data.bin file not found !"},
        {2162687, true, true, dump, "QM41data.bin size not valid !"},
        {2162689, true, true, dump, "QM41data.bin size not valid !"},
        {2162688, false, true, dump, "QM41data.txt file not found !"},
        {2162688, true, false, dump, "QM41data.txt file not found !"},
        {2162688, true, true, kHeading + kInfo, "No session found !"},
        {2162688, true, true, dump, nullptr}};
    for (const auto& [imageSize, dumpThere, chosen, dumpText, message] : cases) {
        SCOPED_TRACE(message ? message : "three sessions");
        std::filesystem::remove("QM41data.bin");
        std::filesystem::remove("dump.txt");
        if (imageSize >= 0) writeFile("QM41data.bin", std::string(size_t(imageSize), '\xFF'));
        if (dumpThere) writeFile("dump.txt", dumpText);
        ui.messages.clear();
        Flag.VT71 = 1;
        ui.chooseFile(chosen ? std::optional<std::string>("dump.txt") : std::nullopt);
        EXPECT_EQ(vx::quick::loadTable(nullptr), message ? 0 : 1);
        EXPECT_EQ(Flag.VT71, 0);
        ASSERT_EQ(ui.messages.size(), message ? 1u : 0u);
        if (message) {
            EXPECT_EQ(ui.messages[0].text, message);
            EXPECT_EQ(ui.messages[0].caption, "File Error");
            EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Error);
        } else {
            ASSERT_EQ(IndTab, 3);
            EXPECT_STREQ(Table[2].datainizio, "240519_083000");
        }
    }
}

TEST(QuickEntry, TypedPageNumbersAreClampedToTheMemory) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"1A3", 0x01A3}, {"0x01a3", 0x01A3}, {"FFF", 0x0FFF}, {"fff", 0x0FFF},  {"1000", 0},      {"2000", 0},
        {"", 0},         {"xyz", 0},         {"-1", 0},       {" 12 ", 0x0012}, {"FFFFFFFFFF", 0}};
    for (auto [typed, page] : cases)
        EXPECT_EQ(vx::quick::parsePageEntry(typed), page) << typed;
    EXPECT_EQ(vx::quick::pageEntryText(0x01A3), "0x01A3");
    EXPECT_EQ(vx::quick::pageEntryText(0), "0x0000");
}

TEST(QuickEntry, SampleTimeRuleAndWhatStartNeeds) {
    const std::pair<const char*, bool> cases[] = {{"60", true},   {"1", true},      {"65535", true},
                                                  {"0", false},   {"65536", false}, {"", false},
                                                  {"12a", false}, {"-5", false},    {"99999999999", false}};
    for (auto [typed, valid] : cases) {
        SCOPED_TRACE(typed);
        Tsample = 1800;
        Flag.sample_error = valid ? 1 : 0;
        EXPECT_EQ(vx::quick::applySampleTime(typed), valid);
        EXPECT_EQ(Flag.sample_error, valid ? 0 : 1);
        EXPECT_EQ(Tsample, valid ? std::stoul(typed) : 1800u);
    }
    // Start needs a valid table, both pages and a valid sample time: each flag alone stops it.
    for (int bad = -1; bad < 4; ++bad) {
        Flag.table_error = bad == 0;
        Flag.pagefirst_error = bad == 1;
        Flag.pagelast_error = bad == 2;
        Flag.sample_error = bad == 3;
        EXPECT_EQ(vx::quick::startAllowed(), bad < 0) << bad;
    }
    vx::quick::QuickControls opened = vx::quick::openQuickMode();
    EXPECT_FALSE(opened.start || opened.pageFirst || opened.pageLast);
    EXPECT_EQ(Flag.table_error + Flag.pagefirst_error + Flag.pagelast_error, 3);
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class QuickImageTest : public vx::test::SimLoggerTest {
  protected:
    vx::sim::Session s;
    int box = 0;  // the report box's handle
    void* report() { return &box; }

    void make(const SessionParams& p) {
        std::string err;
        ASSERT_TRUE(vx::sim::generateSession(p, s, err)) << err;
    }
    // The image (cut short by `missing` bytes) and a dump indexing every table page.
    void writeFiles(size_t missing = 0) {
        writeFile(IMAGE_FILE, std::string(s.flash.begin(), s.flash.end() - std::ptrdiff_t(missing)));
        std::string dump = kHeading;
        for (int p = 0; p < vx::sim::kPageCount; ++p) {
            const uint8_t* pg = s.page(p);
            if (pg[0] != 0xFF || (pg[2] | pg[3] << 8) > 528) continue;
            char page[8], start[16];
            std::snprintf(page, sizeof page, "%04X", unsigned(p));
            std::snprintf(start, sizeof start, "%02x%02x%02x_%02x%02x%02x", pg[13], pg[12], pg[11], pg[10],
                          pg[9], pg[8]);
            dump += indexLine(page, start, pg[1]);
        }
        writeFile(DUMP_FILE, dump + kLoggerFw);
    }
    // Loads the index and chooses the generated session.
    vx::quick::QuickControls choose() {
        ui.chooseFile(std::string(DUMP_FILE));
        EXPECT_EQ(vx::quick::loadTable(nullptr), 1);
        char page[5];
        std::snprintf(page, sizeof page, "%04X", unsigned(s.pageTab));
        for (int i = 0; i < IndTab; ++i)
            if (std::string(Table[i].pagetab) == page) return vx::quick::chooseSession(i, report());
        ADD_FAILURE() << "session not in the index";
        return {};
    }
    vx::quick::QuickControls open(const SessionParams& p) {
        make(p);
        writeFiles();
        return choose();
    }
    // The viewer's text of a data page from the generator's ledger.
    std::string expectedPageText(int page) {
        std::string out;
        char buf[32];
        for (const auto& r : s.records) {
            if (r.page != page) continue;
            const uint8_t* rec = s.page(page) + r.offset;
            std::snprintf(buf, sizeof buf, "%10u [%3u] ", unsigned(r.timeMarker), unsigned(r.addr));
            out += buf;
            for (int i = 0; i < s.findNode(r.addr)->chanu(); ++i) {
                std::snprintf(buf, sizeof buf, "%6d ", int(int16_t(rec[5 + 2 * i] | rec[6 + 2 * i] << 8)));
                out += buf;
            }
            out += "\r\n";
        }
        return out;
    }
};

TEST_F(QuickImageTest, PageRangeOfTheChosenSession) {
    // Table page, data pages, and the first and last page found.
    const std::tuple<const char*, int, int, uint16_t, uint16_t> cases[] = {
        {"table in the last page", 0xFFF, 5, 0x000, 0x004},
        {"table in the middle", 0x400, 12, 0x401, 0x40C},
        {"one data page", 0x010, 1, 0x011, 0x011},
        {"no data page", 0x020, 0, 0x021, 0x020}};
    for (auto [what, tablePage, pages, first, last] : cases) {
        SCOPED_TRACE(what);
        const vx::quick::QuickControls ctl =
            open({.seed = 31, .nodes = 3, .pages = pages, .tablePage = tablePage});
        const bool defined = pages > 0;
        EXPECT_EQ(Flag.table_error, 0);
        EXPECT_TRUE(ctl.pageFirst);
        EXPECT_FALSE(ctl.pageLast) << "Page Last waits for Page First";
        EXPECT_EQ(ctl.start, defined);
        EXPECT_EQ(std::make_tuple(Flag.pagefirst_error, Flag.pagelast_error),
                  std::make_tuple(!defined, !defined));
        EXPECT_EQ(std::make_tuple(PagFirst, PagLast, TotalPagNum), std::make_tuple(first, last, pages));
        EXPECT_STREQ(DataTimeSS, "240517_083000");
    }
}

TEST_F(QuickImageTest, ReportWithAndWithoutDefinedPages) {
    open({.seed = 5, .nodes = 1, .maxChannels = 2, .pairChance = 0, .pages = 5, .tablePage = 0xFFF});
    // The length from the generator's ledger: first record of page 0, last of page 4.
    uint32_t first = 0, last = 0;
    for (const auto& r : s.records) {
        if (r.page == 0 && first == 0) first = r.timeMarker;
        if (r.page == 4) last = r.timeMarker;
    }
    const uint32_t secs = (last - first + 5) / 10;
    char length[32];
    std::snprintf(length, sizeof length, "%06u_%02u%02u%02u", secs / 86400, secs % 86400 / 3600,
                  secs % 3600 / 60, secs % 60);
    const std::string& text = ui.texts[report()];
    EXPECT_TRUE(text.starts_with(
        "Table page........ 0x0FFF\r\nFirst page........ 0x0000\r\nLast page......... 0x0004\r\n"))
        << text;
    EXPECT_NE(text.find("Total data pages.. 5\r\n\r\nStart session............ 240517_083000\r\n"
                        "Length session........... " +
                        std::string(length) + "\r\n\r\n- Node "),
              std::string::npos)
        << text;

    Flag.pagelast_error = 1;
    printInfoSesBin(report());
    EXPECT_NE(
        text.find("Last page......... Non definito\r\nTotal data pages.. Not defined\r\n\r\n"
                  "Start session............ 240517_083000\r\nLength session........... Not defined\r\n\r\n"),
        std::string::npos)
        << text;
}

TEST_F(QuickImageTest, PageViewerTexts) {
    make({.seed = 9, .nodes = 4, .highAddresses = true, .pages = 6, .tablePage = 0x100});
    // A reserved page, an unformatted one and a page of an unknown node beside the session.
    s.flash[size_t(0x200) * 528] = 0x00;
    uint8_t unknown = 1;
    while (s.findNode(unknown))
        ++unknown;
    s.flash[size_t(0x201) * 528] = unknown;
    s.flash[size_t(0xFFF) * 528] = s.nodes[0].addr;  // a data page whose end is missing
    writeFiles();
    choose();
    writeFiles(100);  // the image loses the end of its last page after it was loaded
    ASSERT_TRUE(std::any_of(s.nodes.begin(), s.nodes.end(), [](const auto& n) { return n.addr > 127; }))
        << "the session needs a node address above 127";
    const std::tuple<const char*, int, std::string> cases[] = {
        {"first data page", 0x101, expectedPageText(0x101)},
        {"last data page", 0x106, expectedPageText(0x106)},
        {"assignment table", 0x100, "Assignment Table !"},
        {"erased page", 0x300, "Page not formatted !"},
        {"reserved page", 0x200, "Page reserved !"},
        {"unknown node", 0x201, "Node " + std::to_string(unknown) + " not recognized !"},
        {"cut off", 0xFFF, "Data missing !"}};
    for (const auto& [what, page, text] : cases) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(text.empty());
        const bool data = page == 0x101 || page == 0x106;
        const PageView v = vx::quick::pageText(page);
        EXPECT_EQ(v.text, text);
        EXPECT_EQ(v.dataPage, data);
        EXPECT_EQ(printPageBin(report(), page), data ? 1 : 0);
        EXPECT_EQ(ui.texts[report()], text);
    }
}

TEST_F(QuickImageTest, ViewerMovesThePagesAndStartFollows) {
    open({.seed = 12, .nodes = 2, .pages = 8, .tablePage = 0x1A0});
    // The viewer opened for this page, then a page typed (null: only opened); whether it is a
    // data page, the range after, and whether Start and Page Last are enabled.
    const std::tuple<const char*, int, const char*, bool, uint16_t, uint16_t, bool, bool> steps[] = {
        {"first page opened", PAGE_FIRST, nullptr, true, 0x1A1, 0x1A8, true, true},
        {"first page moved on", PAGE_FIRST, "1A3", true, 0x1A3, 0x1A8, false, false},
        {"table page typed", PAGE_FIRST, "1A0", false, 0x1A3, 0x1A8, false, false},
        {"back to the page after the table", PAGE_FIRST, "0x01A1", true, 0x1A1, 0x1A8, true, true},
        {"last page moved back", PAGE_LAST, "1a5", true, 0x1A1, 0x1A5, true, true},
        {"outside the memory is page 0", PAGE_LAST, "2000", false, 0x1A1, 0x1A5, false, true}};
    bool pageLastEnabled = false;
    for (auto [what, pageType, typed, data, first, last, start, pageLast] : steps) {
        SCOPED_TRACE(what);
        PageView v = vx::quick::openPageViewer(pageType);
        if (typed) v = vx::quick::viewerPage(vx::quick::parsePageEntry(typed));
        EXPECT_EQ(v.dataPage, data);
        const vx::quick::QuickControls c = vx::quick::afterPageViewer(report(), pageLastEnabled);
        pageLastEnabled = c.pageLast;
        EXPECT_EQ(std::make_pair(PagFirst, PagLast), std::make_pair(first, last));
        EXPECT_EQ(std::make_tuple(c.start, c.pageLast, c.pageFirst), std::make_tuple(start, pageLast, true));
    }
}

TEST_F(QuickImageTest, WrappedMemoryConvertsLikeTheReference) {
    // Nothing beyond the flash: the image holds the whole session.
    make({.seed = 44, .nodes = 2, .maxChannels = 2, .satmr = 600, .wrapped = true, .tmpBytes = 0});
    ASSERT_NE(vx::sim::nextPage(s.pageLast), s.pageTab);
    writeFiles();
    choose();
    EXPECT_EQ(PagFirst, vx::sim::nextPage(s.pageTab)) << "the walk stops where the markers go back";
    EXPECT_EQ(PagLast, s.pageLast);
    // The user moves the first page to the oldest page, right after the last one.
    vx::quick::openPageViewer(PAGE_FIRST);
    EXPECT_TRUE(vx::quick::viewerPage(vx::sim::nextPage(s.pageLast)).dataPage);
    EXPECT_TRUE(vx::quick::afterPageViewer(report(), false).start);
    EXPECT_EQ(TotalPagNum, 4095);
    Tsample = 3600;
    EXPECT_EQ(saveFileBin(nullptr, "wrapped.out"), 1);
    EXPECT_FALSE(exists("QM41data.hex"));
    EXPECT_EQ(hDlgWait, nullptr);
    EXPECT_EQ(slurp("wrapped.out"), vx::test::referenceDataFile(s, {3600, -1}));
    EXPECT_EQ(FirstTimeMarkerDload, le32(s.page(s.pageFirst) + 1));
}

TEST_F(QuickImageTest, StopAndUnwritableFileLeaveNoFile) {
    open({.seed = 3, .nodes = 2, .pages = 4});
    ui.stopAtPoll(2);
    ui.answer(vx::ui::Answer::Yes);  // abandon the conversion
    EXPECT_EQ(saveFileBin(nullptr, "stopped.out"), 0);
    EXPECT_FALSE(exists("stopped.out"));
    EXPECT_EQ(hDlgWait, nullptr);

    ui.messages.clear();
    EXPECT_EQ(saveFileBin(nullptr, "no/such/folder/out"), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "no/such/folder/out can not be written !");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(hDlgWait, nullptr);
}

// A verbose download over the link leaves the image and the dump; quick mode converts the
// same session from them into the same bytes.
using QuickDownloadTest = vx::test::SimLoggerTest;

TEST_F(QuickDownloadTest, ConversionEqualsTheDownloadByteForByte) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"qm41,seed=21,nodes=3,pages=9,tmpbuf=0,highaddr=1,oldtables=2", 60},
        {"qm41,seed=22,nodes=2,pages=4,tmpbuf=0,tablepage=4095", 1}};
    for (auto [settings, tsample] : cases) {
        SCOPED_TRACE(settings);
        initVAR();
        ASSERT_TRUE(connect(settings));
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        ASSERT_EQ(Flag.table_error, 0);
        Flag.verbose = 1;
        Tsample = tsample;
        ASSERT_EQ(saveFile(nullptr, DataTimeSS), 1);
        const std::string downloaded = slurp(DataTimeSS), session = DataTimeSS;
        const INFOST counts = InfoSES;
        closePort(hCom);
        hCom = nullptr;
        server->stop();

        initVAR();
        ui.chooseFile(std::string(DUMP_FILE));
        ASSERT_EQ(vx::quick::loadTable(nullptr), 1);
        int chosen = -1;
        for (int i = 0; i < IndTab; ++i)
            if (session == Table[i].datainizio) chosen = i;
        ASSERT_GE(chosen, 0);
        EXPECT_TRUE(vx::quick::chooseSession(chosen, nullptr).start);
        Tsample = tsample;
        ASSERT_EQ(saveFileBin(nullptr, "quick.out"), 1);
        EXPECT_TRUE(slurp("quick.out") == downloaded) << "the conversion differs from the download";
        EXPECT_EQ(InfoSES.nItem, counts.nItem);
        EXPECT_EQ(InfoSES.nSubItem, counts.nSubItem);
        EXPECT_GT(InfoSES.nItem, 0u);
    }
}

}  // namespace
