// Session reading and download against the simulated logger over a real pty, with the
// data record file compared byte for byte with an independent reference.

#include <gtest/gtest.h>

#include "link/com.h"
#include "session/download.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"
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
};

TEST_F(DownloadTest, PlainAndFastFormsGiveTheReferenceFile) {
    const std::pair<const char*, int> cases[] = {
        {"qm41,fw=18,seed=3,nodes=4,pages=25", 0},  // firmware that cannot stream
        {"qm41,fw=19,seed=3,nodes=4,pages=25", 1},  // streams
        {"qm43,seed=11,nodes=7,pages=40,tmpbuf=400", 1},
        {"qm42,seed=5,nodes=2,pages=3", 0},
    };
    for (auto [settings, fast] : cases) {
        SCOPED_TRACE(settings);
        initVAR();
        ASSERT_TRUE(connect(settings));
        EXPECT_EQ(Flag.fast_read, fast);
        readSession();
        EXPECT_EQ(TotalPagNum, session->totalPages());
        int rows = 0;
        std::string expected = referenceDataFile(*session, {60, -1}, &rows);
        EXPECT_EQ(download(60), expected);
        EXPECT_EQ(InfoSES.nItem, uint32_t(rows));
        EXPECT_EQ(InfoSES.nItem_, uint32_t(rows));
        EXPECT_GT(rows, 0);
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
}

TEST_F(DownloadTest, WrappedMemoryWithTheTablePageInsideTheRange) {
    ASSERT_TRUE(connect("qm41,seed=8,nodes=3,wrapped=1,satmr=30"));
    readSession();
    EXPECT_EQ(TotalPagNum, 4095);
    EXPECT_EQ(PagFirst, uint16_t((session->pageLast + 1) & 0xFFF));
    std::string expected = referenceDataFile(*session, {3600, -1});
    EXPECT_EQ(download(3600), expected);
}

TEST_F(DownloadTest, FewerPagesThroughTheQuestionAndTheNumberInput) {
    ASSERT_TRUE(connect("qm41,seed=4,nodes=3,pages=30"));
    readSession();
    TotalPagNumDload = 10;  // as over a modem
    ui.answer(Answer::No);
    ui.type("7");
    ui.answer(Answer::Yes);
    EXPECT_EQ(download(120), referenceDataFile(*session, {120, 7}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Number of data pages read: 10 (30 tot)\r\n\r\nProceed to download ?");
    EXPECT_EQ(ui.messages[0].caption, "Question");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Information);
    EXPECT_EQ(ui.messages[0].buttons, vx::ui::Buttons::YesNoCancel);
    EXPECT_EQ(ui.messages[1].text, "Number of data pages read: 7 (30 tot)\r\n\r\nProceed to download ?");
    ASSERT_EQ(ui.inputs.size(), 1u);
    EXPECT_EQ(ui.inputs[0].caption, "Number of pages requested");
    EXPECT_EQ(ui.inputs[0].preset, "10");
    EXPECT_EQ(ui.inputs[0].staticLine, "Range: 0 ... 30");
}

TEST_F(DownloadTest, TemporaryBufferOnly) {
    ASSERT_TRUE(connect("qm41,seed=9,nodes=3,pages=12,tmpbuf=500,satmr=2"));
    readSession();
    TotalPagNumDload = 4;
    ui.answer(Answer::No);
    ui.type("0");
    ui.answer(Answer::Yes);
    EXPECT_EQ(download(5), referenceDataFile(*session, {5, 0}));
    EXPECT_EQ(ui.messages[1].text,
              "Only the data in the temporary buffer will be taken\r\n\r\nProceed to download ?");
}

TEST_F(DownloadTest, CancelAtThePageQuestionDownloadsNothing) {
    ASSERT_TRUE(connect("qm41,seed=9,nodes=2,pages=12"));
    readSession();
    TotalPagNumDload = 4;
    ui.answer(Answer::Cancel);
    Tsample = 60;
    EXPECT_EQ(saveFile(nullptr, DataTimeSS), 0);
    EXPECT_FALSE(exists(DataTimeSS));
    EXPECT_FALSE(exists("QM41data.hex"));
}

TEST_F(DownloadTest, InvalidNodeInTheTemporaryBufferStopsItsWalk) {
    ASSERT_TRUE(connect("qm41,seed=12,nodes=3,pages=5,tmpbuf=300,tmpbad=1"));
    readSession();
    EXPECT_EQ(download(60), referenceDataFile(*session, {60, -1}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Found an invalid node in the temporary buffer data !");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
}

TEST_F(DownloadTest, RecordCutOffAtTheEndOfTheBufferIsDropped) {
    ASSERT_TRUE(connect("qm41,seed=13,nodes=3,pages=5,tmpbuf=300,tmpcut=1"));
    readSession();
    EXPECT_EQ(download(60), referenceDataFile(*session, {60, -1}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadTest, DroppedAndTruncatedPiecesAreReadAgain) {
    // (No temporary buffer: a piece of it that fails only shortens it, which is no error.)
    for (const char* fw : {"18", "20"}) {  // plain and fast form
        SCOPED_TRACE(fw);
        initVAR();
        ASSERT_TRUE(connect(
            std::string("qm41,fw=") + fw +
            ",seed=14,nodes=3,pages=20,tmpbuf=0,drop=0.01,truncate=0.01,fault-on=ATRD$,fault-seed=5"));
        Timeout_rx = 100;
        readSession();
        EXPECT_EQ(download(60), referenceDataFile(*session, {60, -1}));
        closePort(hCom);
        hCom = nullptr;
        server->stop();
    }
}

TEST_F(DownloadTest, TemporaryBufferIsAskedAgainAndNeverTakenAsEmpty) {
    // The first count is lost: the buffer is asked for again and the file is complete.
    ASSERT_TRUE(connect("qm41,seed=19,nodes=3,pages=8,tmpbuf=300,drop-nth=1,drop-on=ATRB"));
    Timeout_rx = 100;
    readSession();
    EXPECT_EQ(download(60), referenceDataFile(*session, {60, -1}));
    closePort(hCom);
    hCom = nullptr;
    server->stop();

    // A buffer that cannot be read fails the download: its records would be missing.
    std::filesystem::remove(DataTimeSS);
    initVAR();
    ASSERT_TRUE(connect("qm41,seed=19,nodes=3,pages=8,tmpbuf=300,err=1,err-on=ATRB"));
    readSession();
    Tsample = 60;
    EXPECT_EQ(saveFile(nullptr, DataTimeSS), 0);
    EXPECT_FALSE(exists(DataTimeSS));
    EXPECT_EQ(vx::session::downloadFailure(),
              "the temporary buffer could not be read (ATRB: the device answered ERR)");
    EXPECT_EQ(hDlgWait, nullptr);
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
    closePort(hCom);
    hCom = nullptr;
    server->stop();

    initVAR();
    ASSERT_TRUE(connect(base + ",drop-on=ATRD$,drop-nth=" + std::to_string(before + 2 * 11 + 5)));
    Timeout_rx = 100;
    readSession();
    TotalPagNumDload = uint16_t(distance + 2);  // the first page read is two before the table page
    ui.answer(Answer::Yes);
    EXPECT_EQ(download(600), referenceDataFile(*session, {600, distance + 2}));
}

TEST_F(DownloadTest, DeviceThatStopsAnsweringFailsWithoutAFile) {
    ASSERT_TRUE(connect("qm41,seed=15,nodes=3,pages=20,vanish-nth=15,fault-on=ATRD"));
    Timeout_rx = 100;
    readSession();
    Tsample = 60;
    EXPECT_EQ(saveFile(nullptr, DataTimeSS), 0);
    EXPECT_FALSE(exists(DataTimeSS));
    EXPECT_FALSE(exists("QM41data.hex"));
    EXPECT_FALSE(exists(std::string(DataTimeSS) + ".part"));
    EXPECT_EQ(hDlgWait, nullptr);
}

TEST_F(DownloadTest, StopInTheMiddleLeavesNoFile) {
    ASSERT_TRUE(connect("qm41,seed=16,nodes=3,pages=30"));
    readSession();
    ui.stopAtPoll(10);
    ui.answer(Answer::Yes);
    // While the download polls its wait window, a window timer must find the link busy.
    bool busy = true;
    ui.onPoll = [&busy] { busy = busy && vx::link::linkBusy(); };
    Tsample = 60;
    EXPECT_EQ(saveFile(nullptr, DataTimeSS), 0);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(vx::link::linkBusy());
    EXPECT_FALSE(exists(DataTimeSS));
    EXPECT_FALSE(exists("QM41data.hex"));
    EXPECT_EQ(hDlgWait, nullptr);
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
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02u%02u%02u_%02u%02u%02u", 24u, 5u, 17u, 8u, 30u, 0u);
    EXPECT_STREQ(DataTimeSS, expected);
    EXPECT_EQ(ui.waitTexts, (std::vector<std::string>{"Init data pages...", "Init assignment table...",
                                                      "Init time strings..."}));
    EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{" Lettura dati...", " Ready"}));
    EXPECT_EQ(clockSync(), 1);
    EXPECT_EQ(initTimeMark(), 1);
    EXPECT_EQ(std::string(DataTimeDL, 6), std::string(DataTimePC, 6));
}

}  // namespace
