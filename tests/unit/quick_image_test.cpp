// Quick mode on flash images of generated sessions: the table and page range, the report,
// the page viewer's texts, and the data record file, byte for byte as a download of the
// same session writes it.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
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
using vx::quick::Table;

using vx::quick::PageView;
using vx::sim::Session;
using vx::sim::SessionParams;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class QuickImageTest : public vx::test::SimLoggerTest {
  protected:
    Session s;
    int box = 0;  // the report box's handle
    void* report() { return &box; }

    void make(SessionParams p) {
        std::string err;
        ASSERT_TRUE(vx::sim::generateSession(p, s, err)) << err;
    }
    // The image (cut short by `missing` bytes) and a dump indexing every table page.
    void writeFiles(size_t missing = 0) {
        std::ofstream img(IMAGE_FILE, std::ios::binary);
        img.write(reinterpret_cast<const char*>(s.flash.data()), std::streamsize(s.flash.size() - missing));
        img.close();
        std::ofstream dump(DUMP_FILE, std::ios::binary);
        dump << "Tabelle di assegnazione valide rilevate ***\r\n\r\n";
        for (int p = 0; p < vx::sim::kPageCount; ++p) {
            const uint8_t* pg = s.page(p);
            if (pg[0] != 0xFF || (pg[2] | pg[3] << 8) > 528) continue;
            char line[64];
            std::snprintf(line, sizeof line, "Page...0x%04X %02x%02x%02x_%02x%02x%02x %u\r\n", unsigned(p),
                          pg[13], pg[12], pg[11], pg[10], pg[9], pg[8], unsigned(pg[1]));
            dump << line;
        }
        dump << "\r\nInformazioni ***\r\n\r\nFW release...............20\r\n";
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
    // The viewer's text of a data page from the generator's ledger.
    std::string expectedPageText(int page) {
        std::string out;
        for (const auto& r : s.records) {
            if (r.page != page) continue;
            const uint8_t* rec = s.page(page) + r.offset;
            char buf[32];
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
    std::string convert(const char* name) {
        EXPECT_EQ(saveFileBin(nullptr, name), 1);
        EXPECT_FALSE(exists("QM41data.hex"));
        EXPECT_EQ(hDlgWait, nullptr);
        return slurp(name);
    }
};

TEST_F(QuickImageTest, PageRangeOfTheChosenSession) {
    struct Case {
        const char* what;
        int tablePage, pages;
        uint16_t first, last, total;
        bool defined;
    };
    const Case cases[] = {
        {"table in the last page", 0xFFF, 5, 0x000, 0x004, 5, true},
        {"table in the middle", 0x400, 12, 0x401, 0x40C, 12, true},
        {"one data page", 0x010, 1, 0x011, 0x011, 1, true},
        {"no data page", 0x020, 0, 0x021, 0x020, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SessionParams p;
        p.seed = 31;
        p.nodes = 3;
        p.tablePage = c.tablePage;
        p.pages = c.pages;
        make(p);
        writeFiles();
        vx::quick::QuickControls ctl = choose();
        EXPECT_EQ(Flag.table_error, 0);
        EXPECT_TRUE(ctl.pageFirst);
        EXPECT_FALSE(ctl.pageLast) << "Page Last waits for Page First";
        EXPECT_EQ(ctl.start, c.defined);
        EXPECT_EQ(Flag.pagefirst_error, c.defined ? 0 : 1);
        EXPECT_EQ(Flag.pagelast_error, c.defined ? 0 : 1);
        EXPECT_EQ(PagFirst, c.first);
        EXPECT_EQ(PagLast, c.last);
        EXPECT_EQ(TotalPagNum, c.total);
        EXPECT_STREQ(DataTimeSS, "240517_083000");
    }
}

TEST_F(QuickImageTest, ReportWithAndWithoutDefinedPages) {
    SessionParams p;
    p.seed = 5;
    p.nodes = 1;
    p.maxChannels = 2;
    p.pairChance = 0;
    p.tablePage = 0xFFF;
    p.pages = 5;
    make(p);
    writeFiles();
    choose();
    // The length from the generator's ledger: first record of page 0, last of page 4.
    uint32_t first = 0, last = 0;
    for (const auto& r : s.records) {
        if (r.page == 0 && first == 0) first = r.timeMarker;
        if (r.page == 4) last = r.timeMarker;
    }
    uint32_t secs = (last - first + 5) / 10;
    char length[32];
    std::snprintf(length, sizeof length, "%06u_%02u%02u%02u", secs / 86400, secs % 86400 / 3600,
                  secs % 3600 / 60, secs % 60);
    const std::string head =
        "Table page........ 0x0FFF\r\nFirst page........ 0x0000\r\nLast page......... 0x0004\r\n";
    const std::string& text = ui.texts[report()];
    EXPECT_EQ(text.substr(0, head.size()), head);
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
    SessionParams p;
    p.seed = 9;
    p.nodes = 4;
    p.highAddresses = true;
    p.tablePage = 0x100;
    p.pages = 6;
    make(p);
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
    bool high = false;
    for (const auto& n : s.nodes)
        high = high || n.addr > 127;
    ASSERT_TRUE(high) << "the session needs a node address above 127";

    struct Case {
        const char* what;
        int page;
        std::string text;
        bool data;
    };
    const Case cases[] = {
        {"first data page", 0x101, expectedPageText(0x101), true},
        {"last data page", 0x106, expectedPageText(0x106), true},
        {"assignment table", 0x100, "Assignment Table !", false},
        {"erased page", 0x300, "Page not formatted !", false},
        {"reserved page", 0x200, "Page reserved !", false},
        {"unknown node", 0x201, "Node " + std::to_string(unknown) + " not recognized !", false},
        {"cut off", 0xFFF, "Data missing !", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.text.empty());
        PageView v = vx::quick::pageText(c.page);
        EXPECT_EQ(v.text, c.text);
        EXPECT_EQ(v.dataPage, c.data);
        EXPECT_EQ(printPageBin(report(), c.page), c.data ? 1 : 0);
        EXPECT_EQ(ui.texts[report()], c.text);
    }
}

TEST_F(QuickImageTest, ViewerMovesThePagesAndStartFollows) {
    SessionParams p;
    p.seed = 12;
    p.nodes = 2;
    p.tablePage = 0x1A0;
    p.pages = 8;
    make(p);
    writeFiles();
    choose();
    struct Step {
        const char* what;
        int pageType;       // viewer opened for this page
        const char* typed;  // then typed; null: only opened
        bool data;
        uint16_t first, last;
        bool start, pageLast;
    };
    const Step steps[] = {
        {"first page opened", PAGE_FIRST, nullptr, true, 0x1A1, 0x1A8, true, true},
        {"first page moved on", PAGE_FIRST, "1A3", true, 0x1A3, 0x1A8, false, false},
        {"table page typed", PAGE_FIRST, "1A0", false, 0x1A3, 0x1A8, false, false},
        {"back to the page after the table", PAGE_FIRST, "0x01A1", true, 0x1A1, 0x1A8, true, true},
        {"last page moved back", PAGE_LAST, "1a5", true, 0x1A1, 0x1A5, true, true},
        {"outside the memory is page 0", PAGE_LAST, "2000", false, 0x1A1, 0x1A5, false, true},
    };
    bool pageLastEnabled = false;
    for (const Step& st : steps) {
        SCOPED_TRACE(st.what);
        PageView v = vx::quick::openPageViewer(st.pageType);
        if (st.typed) v = vx::quick::viewerPage(vx::quick::parsePageEntry(st.typed));
        EXPECT_EQ(v.dataPage, st.data);
        vx::quick::QuickControls c = vx::quick::afterPageViewer(report(), pageLastEnabled);
        pageLastEnabled = c.pageLast;
        EXPECT_EQ(PagFirst, st.first);
        EXPECT_EQ(PagLast, st.last);
        EXPECT_EQ(c.start, st.start);
        EXPECT_EQ(c.pageLast, st.pageLast);
        EXPECT_TRUE(c.pageFirst);
    }
}

TEST_F(QuickImageTest, WrappedMemoryConvertsLikeTheReference) {
    SessionParams p;
    p.seed = 44;
    p.nodes = 2;
    p.maxChannels = 2;
    p.satmr = 600;
    p.wrapped = true;
    p.tmpBytes = 0;  // nothing beyond the flash: the image holds the whole session
    make(p);
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
    EXPECT_EQ(convert("wrapped.out"), vx::test::referenceDataFile(s, {3600, -1}));
    EXPECT_EQ(FirstTimeMarkerDload, le32(s.page(s.pageFirst) + 1));
}

TEST_F(QuickImageTest, StopAndUnwritableFileLeaveNoFile) {
    SessionParams p;
    p.seed = 3;
    p.nodes = 2;
    p.pages = 4;
    make(p);
    writeFiles();
    choose();
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
    struct Case {
        const char* settings;
        uint16_t tsample;
    };
    const Case cases[] = {
        {"qm41,seed=21,nodes=3,pages=9,tmpbuf=0,highaddr=1,oldtables=2", 60},
        {"qm41,seed=22,nodes=2,pages=4,tmpbuf=0,tablepage=4095", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        initVAR();
        ASSERT_TRUE(connect(c.settings));
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        ASSERT_EQ(Flag.table_error, 0);
        Flag.verbose = 1;
        Tsample = c.tsample;
        ASSERT_EQ(saveFile(nullptr, DataTimeSS), 1);
        const std::string downloaded = slurp(DataTimeSS);
        const std::string session = DataTimeSS;
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
        Tsample = c.tsample;
        ASSERT_EQ(saveFileBin(nullptr, "quick.out"), 1);
        EXPECT_TRUE(slurp("quick.out") == downloaded) << "the conversion differs from the download";
        EXPECT_EQ(InfoSES.nItem, counts.nItem);
        EXPECT_EQ(InfoSES.nSubItem, counts.nSubItem);
        EXPECT_GT(InfoSES.nItem, 0u);
    }
}

}  // namespace
