// Session reading and download against the simulated logger over a real pty, with the
// data record file compared byte for byte with an independent reference; and a device
// that answers garbage.

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "link/com.h"
#include "session/download.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "support/pty_peer.h"
#include "support/reference_table.h"
#include "support/sim_logger.h"
#include "ui/wait_window.h"

namespace {

using vx::test::referenceDataFile;
using vx::ui::Answer;

class DownloadTest : public vx::test::SimLoggerTest {
  protected:
    void readSession() {
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        ASSERT_EQ(Flag.pages_error, 0);
        ASSERT_EQ(Flag.table_error, 0);
        ASSERT_EQ(Flag.time_error, 0);
    }
    std::string download(uint16_t tsample) {
        Tsample = tsample;
        EXPECT_EQ(saveFile(nullptr, DataTimeSS), 1);
        EXPECT_FALSE(exists("QM41data.hex"));
        EXPECT_FALSE(exists(std::string(DataTimeSS) + ".part"));
        return slurp(DataTimeSS);
    }
    void disconnect() {
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
};

// The page question's text.
std::string pagesQuestion(int pages, int total) {
    return "Number of data pages read: " + std::to_string(pages) + " (" + std::to_string(total) +
           " tot)\r\n\r\nProceed to download ?";
}

TEST_F(DownloadTest, DownloadsGiveTheReferenceFile) {
    struct Case {
        const char* settings;
        int fastRead;
        uint16_t tsample;
        int32_t timeout = 300;                // shorter where faults make the program wait
        int offered = -1;                     // pages offered at the question; -1: all, no question
        const char* typed = nullptr;          // the pages then asked for at the number input
        std::vector<std::string> messages{};  // the texts shown
    };
    const Case cases[] = {
        // clang-format off
        {"qm41,fw=18,seed=3,nodes=4,pages=25", 0, 60},  // firmware that cannot stream
        {"qm41,fw=19,seed=3,nodes=4,pages=25", 1, 60},  // streams
        {"qm43,seed=11,nodes=7,pages=40,tmpbuf=400", 1, 60},
        {"qm42,seed=5,nodes=2,pages=3", 0, 60},
        {"qm41,seed=8,nodes=3,wrapped=1,satmr=30", 1, 3600},  // the table page inside the range
        {"qm41,seed=12,nodes=3,pages=5,tmpbuf=300,tmpbad=1", 1, 60, 300, -1, nullptr,
         {"Found an invalid node in the temporary buffer data !"}},
        {"qm41,seed=13,nodes=3,pages=5,tmpbuf=300,tmpcut=1", 1, 60},  // the cut record dropped
        // Fewer pages, as over a modem: No at the question, a number, Yes.
        {"qm41,seed=4,nodes=3,pages=30", 1, 120, 300, 10, "7", {pagesQuestion(10, 30), pagesQuestion(7, 30)}},
        {"qm41,seed=9,nodes=3,pages=12,tmpbuf=500,satmr=2", 1, 5, 300, 4, "0",
         {pagesQuestion(4, 12), "Only the data in the temporary buffer will be taken\r\n\r\nProceed to download ?"}},
        // Dropped and truncated pieces are read again, in plain and fast form. (No temporary
        // buffer: a piece of it that fails only shortens it, which is no error.)
        {"qm41,fw=18,seed=14,nodes=3,pages=20,tmpbuf=0,drop=0.01,truncate=0.01,fault-on=ATRD$,fault-seed=5", 0, 60, 100},
        {"qm41,fw=20,seed=14,nodes=3,pages=20,tmpbuf=0,drop=0.01,truncate=0.01,fault-on=ATRD$,fault-seed=5", 1, 60, 100},
        // The first buffer count is lost: it is asked for again, never taken as empty.
        {"qm41,seed=19,nodes=3,pages=8,tmpbuf=300,drop-nth=1,drop-on=ATRB", 1, 60, 100},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        initVAR();
        ui.messages.clear();
        ui.inputs.clear();
        ASSERT_TRUE(connect(c.settings));
        EXPECT_EQ(Flag.fast_read, c.fastRead);
        Timeout_rx = c.timeout;
        readSession();
        EXPECT_EQ(TotalPagNum, session->totalPages());
        if (c.typed) {
            TotalPagNumDload = uint16_t(c.offered);
            ui.answer(Answer::No);
            ui.type(c.typed);
            ui.answer(Answer::Yes);
        }
        int rows = 0;
        std::string expected =
            referenceDataFile(*session, {c.tsample, c.typed ? std::atoi(c.typed) : -1}, &rows);
        EXPECT_EQ(download(c.tsample), expected);
        EXPECT_EQ(InfoSES.nItem, uint32_t(rows));
        EXPECT_EQ(InfoSES.nItem_, uint32_t(rows));
        EXPECT_GT(rows, 0);
        std::vector<std::string> shown;
        for (const auto& m : ui.messages) {
            shown.push_back(m.text);
            EXPECT_EQ(m.caption, c.typed ? "Question" : "Warning");
            EXPECT_EQ(m.icon, c.typed ? vx::ui::Icon::Information : vx::ui::Icon::Warning);
        }
        ASSERT_EQ(shown, c.messages);
        if (c.typed) {
            EXPECT_EQ(ui.messages[0].buttons, vx::ui::Buttons::YesNoCancel);
            ASSERT_EQ(ui.inputs.size(), 1u);
            EXPECT_EQ(ui.inputs[0].caption, "Number of pages requested");
            EXPECT_EQ(ui.inputs[0].preset, std::to_string(c.offered));
            EXPECT_EQ(ui.inputs[0].staticLine, "Range: 0 ... " + std::to_string(TotalPagNum));
        }
        disconnect();
    }
}

TEST_F(DownloadTest, FailedOrStoppedDownloadLeavesNoFileAndSaysWhy) {
    const struct {
        const char* what;
        const char* settings;
        int offered;                  // pages offered at the question; -1: all, no question
        std::vector<Answer> answers;  // to the page question or the Stop question
        int stopAtPoll;               // 0: no Stop click
        const char* failure;          // downloadFailure(), a regular expression
    } cases[] = {
        // clang-format off
        {"cancel at the page question", "qm41,seed=9,nodes=2,pages=12", 4, {Answer::Cancel}, 0, ""},
        {"stop", "qm41,seed=16,nodes=3,pages=30", -1, {Answer::Yes}, 10, ""},
        {"buffer that cannot be read", "qm41,seed=19,nodes=3,pages=8,tmpbuf=300,err=1,err-on=ATRB", -1, {}, 0,
         "the temporary buffer could not be read \\(ATRB: the device answered ERR\\)"},
        {"device that stops answering", "qm41,seed=15,nodes=3,pages=20,vanish-nth=15,fault-on=ATRD", -1, {}, 0,
         "page 0x[0-9A-F]{4} could not be (read|addressed) \\(ATRD[0-9A-F]*: no reply within 100 ms\\)"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        initVAR();
        ASSERT_TRUE(connect(c.settings));
        Timeout_rx = 100;
        readSession();
        if (c.offered >= 0) TotalPagNumDload = uint16_t(c.offered);
        for (Answer a : c.answers)
            ui.answer(a);
        if (c.stopAtPoll) ui.stopAtPoll(c.stopAtPoll);
        // While the download polls its wait window, a window timer must find the link busy.
        bool busy = true;
        ui.onPoll = [&busy] { busy = busy && vx::link::linkBusy(); };
        Tsample = 60;
        EXPECT_EQ(saveFile(nullptr, DataTimeSS), 0);
        ui.onPoll = nullptr;
        EXPECT_TRUE(busy);
        EXPECT_FALSE(vx::link::linkBusy());
        EXPECT_TRUE(std::regex_match(vx::session::downloadFailure(), std::regex(c.failure)))
            << vx::session::downloadFailure();
        for (const std::string& name :
             {std::string(DataTimeSS), std::string(DataTimeSS) + ".part", std::string("QM41data.hex")})
            EXPECT_FALSE(exists(name)) << name;
        EXPECT_EQ(hDlgWait, nullptr);
        disconnect();
    }
}

TEST_F(DownloadTest, FailedReadOfTheTablePageAddressesTheNextPage) {
    // Plain form, a wrapped memory, and the most recent pages chosen so that the table page
    // is the third of them. A piece of the table page is lost: the logger's pointer is then
    // inside that page, so the next page must be addressed again, not read from there.
    const std::string base =
        "qm41,fw=18,seed=30,nodes=3,wrapped=1,satmr=30";  // table page 118 before the last
    ASSERT_TRUE(connect(base));
    const int distance = (session->pageLast - session->pageTab) & 0xFFF;
    const int before = int(session->table.size() + 47) / 48 + 1 + 11;  // table, first piece, last page
    disconnect();

    initVAR();
    ASSERT_TRUE(connect(base + ",drop-on=ATRD$,drop-nth=" + std::to_string(before + 2 * 11 + 5)));
    Timeout_rx = 100;
    readSession();
    TotalPagNumDload = uint16_t(distance + 2);  // the first page read is two before the table page
    ui.answer(Answer::Yes);
    EXPECT_EQ(download(600), referenceDataFile(*session, {600, distance + 2}));
}

TEST_F(DownloadTest, VerboseWritesTheDumpAndTheFlashImage) {
    ASSERT_TRUE(connect("qm41,seed=17,nodes=2,pages=6,oldtables=2"));
    readSession();
    Flag.verbose = 1;
    EXPECT_EQ(download(60), referenceDataFile(*session, {60, -1}));
    std::string image = slurp(IMAGE_FILE);
    EXPECT_EQ(image.size(), 2162688u);
    EXPECT_TRUE(image == std::string(session->flash.begin(), session->flash.end()));
    std::string dump = slurp(DUMP_FILE);
    // One index line per table page: the session's and the two older ones.
    size_t lines = 0;
    for (size_t p = dump.find("Page...0x"); p != std::string::npos; p = dump.find("Page...0x", p + 1))
        ++lines;
    EXPECT_EQ(lines, 3u);
    char own[64];
    std::snprintf(own, sizeof own, "Page...0x%04X %s %u\r\n", unsigned(session->pageTab), DataTimeSS,
                  unsigned(session->tableByte1));
    EXPECT_NE(dump.find(own), std::string::npos);
    EXPECT_EQ(dump.rfind("Tabelle di assegnazione valide rilevate ", 0), 0u);
}

TEST_F(DownloadTest, ReportLinesAndClock) {
    ASSERT_TRUE(connect("qm41,seed=18,nodes=2,pages=10"));
    readSession();
    EXPECT_STREQ(DataTimeSS, "240517_083000");
    EXPECT_EQ(ui.waitTexts, (std::vector<std::string>{"Init data pages...", "Init assignment table...",
                                                      "Init time strings..."}));
    EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{" Lettura dati...", " Ready"}));
    EXPECT_EQ(clockSync(), 1);
    EXPECT_EQ(initTimeMark(), 1);
    EXPECT_EQ(std::string(DataTimeDL, 6), std::string(DataTimePC, 6));
}

// Replies of every shape: hex-looking lines of the wrong length, "OK" followed by junk,
// binary blocks with and without carriage returns, over-long lines, silence.
std::string garbage(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 6), len(0, 600), byte(0, 255);
    const int k = kind(rng);
    if (k == 0) return "OK" + std::string(size_t(len(rng) % 8), 'Z') + "\r";
    if (k == 1) return "FFFF\r";
    if (k == 2) return std::string(size_t(len(rng) % 5), '9') + "\r";
    std::string out;
    for (int n = k == 3 ? 0 : len(rng); n > 0; --n)
        out += char(byte(rng));
    return out;
}

using GarbageDeviceTest = vx::test::SimLoggerTest;

// The session reading and the download end in their messages or results, never in a
// crash, a hang or a write out of bounds.
TEST_F(GarbageDeviceTest, SessionReadingAndDownloadSurvive) {
    ui.onUnexpected = nullptr;  // every question is answered No / Cancel
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        initVAR();
        std::mt19937 rng(seed);
        vx::test::PtyPeer peer([&rng](const std::string&) { return garbage(rng); });
        hCom = openPort(peer.path().c_str());
        ASSERT_NE(hCom, nullptr);
        initCOM(hCom);
        Timeout_rx = 50;
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        EXPECT_EQ(hDlgWait, nullptr);
        EXPECT_LE(TotalNodeNum, MAX_NODES);
        Tsample = 1;
        TotalPagNumDload = TotalPagNum < 3 ? TotalPagNum : 3;  // keep the run short
        if (TotalPagNumDload < TotalPagNum) ui.answer(Answer::Yes);
        std::filesystem::remove("garbage_table");
        int32_t ok = saveFile(nullptr, "garbage_table");
        EXPECT_FALSE(exists("QM41data.hex"));
        EXPECT_FALSE(exists("garbage_table.part"));
        EXPECT_EQ(exists("garbage_table"), ok == 1);
        closePort(hCom);
        hCom = nullptr;
    }
}

}  // namespace
