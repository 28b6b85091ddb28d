// Firmware files and their upload: the file's checks, the acknowledgements of the
// streamed upload, and both upload paths against the simulated board and boot loader.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "boards/powerone_crc.h"
#include "link/com.h"
#include "loader/firmware_file.h"
#include "loader/firmware_upload.h"
#include "loader/loader_state.h"
#include "sim/fake_serial_port.h"
#include "sim/logger_device.h"
#include "sim/options.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

using vx::loader::FwFileError;
using vx::ui::Answer;

// A firmware file of `records` records of random data with their CRCs.
std::string firmwareText(int records, char type = '5', unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::string s = std::string("FW") + type + "x21\r\n";
    for (int k = 0; k < records; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = uint8_t(rng());
        crc_powerone(rec, 32);
        char h[3];
        for (uint8_t b : rec)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        s += "\r\n";
    }
    return s;
}

FwFileError parse(const std::string& s, FwImage& img, int* bad = nullptr) {
    return vx::loader::parseFirmware(reinterpret_cast<const uint8_t*>(s.data()), s.size(), img, bad);
}

TEST(FirmwareFile, ChecksTheRecords) {
    std::string wrongDigit = firmwareText(4);
    char& d = wrongDigit[8 + 70 * 2 + 10];
    d = d == '0' ? '1' : '0';
    std::string notHex = firmwareText(2);
    notHex[8 + 70 + 5] = 'G';
    struct Case {
        const char* name;
        std::string text;
        FwFileError error;
        int npack, bad;
    } cases[] = {
        {"four records", firmwareText(4), FwFileError::None, 4, -1},
        {"odd count", firmwareText(3), FwFileError::OddCount, 3, -1},
        {"one wrong hex digit", wrongDigit, FwFileError::BadCrc, 2, 2},
        {"not a hex digit", notHex, FwFileError::BadHex, 1, 1},
        {"trailing partial record", firmwareText(2) + firmwareText(1).substr(8, 69), FwFileError::None, 2,
         -1},
        {"1024 records", firmwareText(1024), FwFileError::None, 1024, -1},
        {"1026 records", firmwareText(1026), FwFileError::TooMany, 0, -1},
        {"no records", firmwareText(0), FwFileError::NoRecords, 0, -1},
        {"no header", "XW5x21\r\n" + firmwareText(2).substr(8), FwFileError::NoHeader, 0, -1},
    };
    auto img = std::make_unique<FwImage>();
    for (auto& c : cases) {
        int bad = 99;
        img->npack = 0;
        EXPECT_EQ(parse(c.text, *img, &bad), c.error) << c.name;
        EXPECT_EQ(bad, c.bad) << c.name;
        if (c.error == FwFileError::None || c.error == FwFileError::OddCount) {
            EXPECT_EQ(img->npack, c.npack) << c.name;
        }
    }
}

TEST(FirmwareFile, BoardTypeAndVersion) {
    const std::pair<char, const char*> types[] = {{'0', "QM41"}, {'5', "VT71"}, {'7', "QM42"},
                                                  {'B', "QM43"}, {'b', "QM43"}, {'F', "F"}};
    auto img = std::make_unique<FwImage>();
    for (auto [digit, name] : types) {
        ASSERT_EQ(parse(firmwareText(2, digit), *img), FwFileError::None) << digit;
        EXPECT_STREQ(vx::loader::boardTypeName(img->scheda), name) << digit;
        EXPECT_STREQ(img->ver, "2.1");
    }
    EXPECT_EQ(parse(firmwareText(2, 'g'), *img), FwFileError::BadType);
}

TEST(FirmwareUpload, ErrLatch) {
    // "ERR" 1 s after a rewind is ignored, 2.1 s after it rewinds again; an "OK" opens the
    // latch at once.
    struct Step {
        const char* bytes;
        uint64_t at;
        vx::loader::FastAcks::Event last;
    } steps[] = {
        {"OK\r", 0, vx::loader::FastAcks::Event::Ack},
        {"ERR\r", 100, vx::loader::FastAcks::Event::Rewind},
        {"ERR\r", 1100, vx::loader::FastAcks::Event::None},
        {"ERR\r", 2200, vx::loader::FastAcks::Event::Rewind},
        {"OK\r", 2300, vx::loader::FastAcks::Event::Ack},
        {"ERR\r", 2400, vx::loader::FastAcks::Event::Rewind},
    };
    vx::loader::FastAcks acks;
    for (auto& s : steps) {
        vx::loader::FastAcks::Event e{};
        for (const char* p = s.bytes; *p; ++p)
            e = acks.feed(uint8_t(*p), s.at);
        EXPECT_EQ(e, s.last) << s.at;
    }
}

TEST(FirmwareUpload, BlockCount) {
    const std::pair<uint16_t, uint16_t> counts[] = {{4, 2}, {2, 1}, {1024, 512}};
    for (auto [records, blocks] : counts)
        EXPECT_EQ(vx::loader::fwBlockCount(records), blocks) << records;
}

class FirmwareSim : public ProgramTest {
  protected:
    void start(const std::string& settings, int records) {
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
        const std::string text = firmwareText(records);
        ASSERT_EQ(parse(text, FW), FwFileError::None);
    }
    void TearDown() override {
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    // The records the board stored are those of the image.
    void expectStored() {
        auto* board = vx::sim::findLogger(port->device());
        ASSERT_TRUE(board);
        const auto& recs = board->firmware().records();
        ASSERT_EQ(recs.size(), size_t(FW.npack));
        for (size_t k = 0; k < recs.size(); ++k)
            EXPECT_EQ(std::memcmp(recs[k].data(), FW.data[k], 34), 0) << k;
    }
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

TEST_F(FirmwareSim, BothModesRetryARejectedRecord) {
    for (bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "slow");
        start("vt71,fw-err=1/5", 8);
        ui.answer(fast ? Answer::Yes : Answer::No);
        EXPECT_EQ(uploadFW(nullptr), 1);
        expectStored();
        EXPECT_NE(port->writtenText().find("ATRD0004\r"), std::string::npos);
        EXPECT_EQ(vx::loader::lastUpload().acked, 8u);
        EXPECT_EQ(vx::loader::lastUpload().errors, 2u);
        EXPECT_TRUE(vx::sim::findLogger(port->device())->firmware().finished());
        EXPECT_EQ(ui.waitCloses, ui.waitShows);
    }
}

TEST_F(FirmwareSim, ARecordAlwaysRefusedFailsAndLeavesUploadMode) {
    for (bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "slow");
        start("vt71,fw-reject=2", 4);
        ui.answer(fast ? Answer::Yes : Answer::No);
        EXPECT_EQ(uploadFW(nullptr), 0);
        EXPECT_EQ(vx::loader::lastUpload().acked, 2u);
        const std::string w = port->writtenText();
        EXPECT_EQ(w.substr(w.size() - 7), "ATCM10\r");
        EXPECT_FALSE(vx::sim::findLogger(port->device())->firmware().receiving());
    }
}

TEST_F(FirmwareSim, AnUnansweredRecordStopsTheUploadRatherThanStoreItTwice) {
    // Record 2 (or its "OK") was lost, or the board restarted there. Sent again, a record the
    // board stored would be stored twice; in the streamed upload a lost record has the later
    // ones stored one place early, and after a restart the board starts a new upload at the
    // first record. Either way the upload must not end as done.
    struct Case {
        const char* fault;
        bool replyLost;  // the board stored the record: what it holds is the image's start
    } cases[] = {{"drop-nth=3", true},
                 {"truncate-nth=3", true},
                 {"garble-nth=3", true},
                 {"lose-nth=3", false},
                 {"reset-nth=3,reset-ms=0", false}};
    for (bool fast : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(fast ? "fast, " : "slow, ") + c.fault);
            start(std::string("vt71,fault-on=FWREC,") + c.fault, 8);
            ui.answer(fast ? Answer::Yes : Answer::No);
            EXPECT_EQ(uploadFW(nullptr), 0);
            const auto& fw = vx::sim::findLogger(port->device())->firmware();
            EXPECT_FALSE(fw.receiving());
            EXPECT_LT(vx::loader::lastUpload().acked, 8u);
            if (!c.replyLost) continue;
            ASSERT_LE(fw.records().size(), size_t(FW.npack));
            for (size_t k = 0; k < fw.records().size(); ++k)
                EXPECT_EQ(std::memcmp(fw.records()[k].data(), FW.data[k], 34), 0) << k;
        }
}

TEST_F(FirmwareSim, StopSendsLeaveCommand) {
    start("vt71", 6);
    ui.answer(Answer::No);
    ui.stopAtPoll(3);
    ui.answer(Answer::Yes);  // abandon
    EXPECT_EQ(uploadFW(nullptr), 0);
    EXPECT_TRUE(vx::loader::lastUpload().cancelled);
    const std::string w = port->writtenText();
    EXPECT_EQ(w.substr(w.size() - 7), "ATCM10\r");
}

TEST_F(FirmwareSim, BootLoaderPathWithRetryAndMissingAck) {
    start("qm43boot,boot-nak=1", 6);
    ui.answer(Answer::Yes);  // try again
    EXPECT_EQ(uploadFW2(nullptr), 1);
    vx::loader::finishBootUpload();
    auto* boot = vx::sim::findBootFlasher(port->device());
    ASSERT_TRUE(boot);
    ASSERT_EQ(boot->blocks().size(), 3u);
    for (size_t b = 0; b < 3; ++b) {
        EXPECT_EQ(std::memcmp(boot->blocks()[b].data(), FW.data[2 * b], 32), 0);
        EXPECT_EQ(std::memcmp(boot->blocks()[b].data() + 32, FW.data[2 * b + 1], 32), 0);
    }
    EXPECT_EQ(boot->naks(), 1u);
    EXPECT_TRUE(boot->started());

    start("qm43boot,boot-silent=1", 6);
    EXPECT_EQ(uploadFW2(nullptr), 0);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "No ack received from target !");
    EXPECT_EQ(ui.messages.back().caption, "Boot error");
}

}  // namespace
}  // namespace vx::test
