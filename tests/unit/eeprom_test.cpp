// EEPROM dumps: the line format, the comparison with a firmware file, and the dump from
// the simulated board (after an upload, stopped, failing).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "link/com.h"
#include "loader/eeprom_compare.h"
#include "loader/eeprom_dump.h"
#include "loader/firmware_file.h"
#include "loader/firmware_upload.h"
#include "loader/loader_state.h"
#include "sim/fake_serial_port.h"
#include "sim/logger_device.h"
#include "sim/options.h"
#include "support/crc_x25.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using vx::ui::Answer;

// A line of 32 bytes as the firmware converter writes its records.
std::string refLine(const uint8_t* d) {
    std::string s;
    char h[3];
    for (int i = 0; i < 32; ++i)
        s += (std::snprintf(h, sizeof h, "%02X", d[i]), h);
    const uint16_t c = crcX25(d, 32);
    s += (std::snprintf(h, sizeof h, "%02X", c & 0xFF), h);
    s += (std::snprintf(h, sizeof h, "%02X", c >> 8), h);
    return s + "\r\n";
}

// The simulated board's EEPROM before any upload, as lines from `first` on.
std::string initialLines(int first, int count) {
    std::string s;
    for (int l = first; l < first + count; ++l) {
        uint8_t d[32];
        for (int i = 0; i < 32; ++i)
            d[i] = vx::sim::initialI2cEepromByte(size_t(l) * 32 + size_t(i));
        s += refLine(d);
    }
    return s;
}

std::string slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(EepromLine, HexAndCrcLowByteFirst) {
    uint8_t zeros[32] = {}, ramp[32], high[32];
    for (int i = 0; i < 32; ++i) {
        ramp[i] = uint8_t(i);
        high[i] = uint8_t(0xA0 + i);
    }
    ASSERT_EQ(crcX25(reinterpret_cast<const uint8_t*>("123456789"), 9), 0x906E);  // the reference itself
    for (const uint8_t* d : {zeros, ramp, high}) {
        const std::string line = vx::loader::eepromLine(d);
        EXPECT_EQ(line, refLine(d));
        EXPECT_EQ(line.size(), size_t(EE_LINE));
    }
}

class EepromFiles : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxeeXXXXXX";
        dir = mkdtemp(tmpl);
        File_ee.clear();
        File_fw.clear();
    }
    void TearDown() override {
        hCom = nullptr;
        File_ee.clear();
        File_fw.clear();
        fs::remove_all(dir);
        ProgramTest::TearDown();
    }
    std::string put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    void startSim(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
    }
    const vx::sim::I2cEeprom& simEeprom() { return vx::sim::findLogger(port->device())->firmware().eeprom(); }
    fs::path dir;
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

TEST_F(EepromFiles, Comparison) {
    const std::string dump = initialLines(0, EE_LINES);
    const std::string fw4 = "FW5x13\r\n" + initialLines(8, 4);
    std::string lower = dump;
    for (char& c : lower)
        c = char(std::tolower(c));
    std::string changed = fw4;
    char& digit = changed[8 + 3 * 70 + 6];
    digit = digit == '0' ? '1' : '0';
    struct Case {
        const char *name, *dump, *fw;
        bool equal;
        uint32_t compared;
        int firstDiff;
        bool dumpShort;
    } cases[] = {
        {"4 records", "full.ee", "fw4.fw", true, 4, -1, false},
        {"lower-case dump", "lower.ee", "fw4.fw", false, 0, 0, false},
        {"record 3 differs", "full.ee", "changed.fw", false, 3, 3, false},
        {"header only", "full.ee", "empty.fw", false, 0, -1, false},
        {"dump shorter than the image", "short.ee", "fw4.fw", false, 2, -1, true},
        {"no dump", "missing.ee", "fw4.fw", false, 0, -1, false},
    };
    put("full.ee", dump);
    put("lower.ee", lower);
    put("short.ee", dump.substr(0, 10 * 70));
    put("fw4.fw", fw4);
    put("changed.fw", changed);
    put("empty.fw", "FW5x13\r\n");
    for (auto& c : cases) {
        const auto r = vx::loader::compareDump((dir / c.dump).string(), (dir / c.fw).string());
        EXPECT_EQ(r.equal, c.equal) << c.name;
        EXPECT_EQ(r.compared, c.compared) << c.name;
        EXPECT_EQ(r.firstDiff, c.firstDiff) << c.name;
        EXPECT_EQ(r.dumpShort, c.dumpShort) << c.name;
        EXPECT_EQ(r.why.empty(), c.equal) << c.name;
        File_ee = (dir / c.dump).string();
        File_fw = (dir / c.fw).string();
        EXPECT_EQ(fileCompare(), c.equal ? 1 : 0) << c.name;
    }
}

TEST_F(EepromFiles, DumpAfterUploadInBothModes) {
    startSim("vt71");
    std::string fw = "FW5x13\r\n";
    for (int k = 0; k < 6; ++k) {
        uint8_t d[32];
        for (int i = 0; i < 32; ++i)
            d[i] = uint8_t(k * 40 + i);
        fw += refLine(d);
    }
    const std::string fwPath = put("new.fw", fw);
    ASSERT_EQ(vx::loader::loadFirmware(fwPath), vx::loader::FwFileError::None);
    ui.answer(Answer::No);  // record by record
    ASSERT_EQ(uploadFW(nullptr), 1);

    // The records are in the EEPROM after its first 256 bytes; the rest is as it was.
    std::string expected;
    for (uint32_t l = 0; l < EE_LINES; ++l)
        expected += refLine(simEeprom().bytes().data() + 32 * l);
    EXPECT_EQ(expected.substr(8 * 70, 6 * 70), fw.substr(8));
    EXPECT_EQ(expected.substr(14 * 70), initialLines(14, EE_LINES - 14));

    for (bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "step");
        const std::string path = (dir / (fast ? "fast.ee" : "step.ee")).string();
        ui.chooseFile(path);
        ui.answer(fast ? Answer::Yes : Answer::No);
        ASSERT_EQ(loadFileEeprom(nullptr), 1);
        EXPECT_EQ(slurp(path), expected);
        EXPECT_EQ(File_ee, path);
        EXPECT_EQ(vx::loader::lastDump().blocks, EE_BLOCKS);
        EXPECT_EQ(fileCompare(), 1);
        EXPECT_EQ(ui.waitCloses, ui.waitShows);
    }
    const std::string w = port->writtenText();
    EXPECT_NE(w.find("ATRD0001\rATRD4000\rATRD\rATRD\r"), std::string::npos);
    EXPECT_NE(w.find("ATRD0200\rATRD4000\rATRD\r"), std::string::npos);
}

TEST_F(EepromFiles, StoppedOrFailedDumpIsNeverTakenForADump) {
    const std::string path = put("old.ee", "earlier dump\r\n");
    struct Case {
        const char* settings;
        bool fast, stop;
        const char* message;
        size_t partialLines;
    } cases[] = {
        {"vt71", false, true, nullptr, 0},
        {"vt71,ee-silent=3", false, false, "Error in block No. 3 !", 6},
        {"vt71,ee-silent=3", true, false, "Error in block No. 3 !", 6},
        {"vt71,ee-silent=0", true, false, "Error in block No. 0 !", 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + (c.fast ? " fast" : " step"));
        startSim(c.settings);
        ui.messages.clear();
        if (c.stop) {
            ui.stopAtPoll(5);
            ui.answer(Answer::Yes);  // abandon
        }
        put("old.ee", "earlier dump\r\n");
        EXPECT_EQ(vx::loader::dumpEeprom(nullptr, path, c.fast), 0);
        // The blocks received, whole lines only; the earlier file when none came or on Stop.
        EXPECT_EQ(slurp(path), c.partialLines ? initialLines(0, int(c.partialLines)) : "earlier dump\r\n");
        EXPECT_EQ(vx::loader::lastDump().partial, c.partialLines ? path : "");
        EXPECT_TRUE(File_ee.empty());
        EXPECT_EQ(vx::loader::lastDump().stopped, c.stop);
        if (c.message) {
            ASSERT_FALSE(ui.messages.empty());
            EXPECT_EQ(ui.messages.back().text.rfind(c.message, 0), 0u) << ui.messages.back().text;
            EXPECT_EQ(ui.messages.back().caption, "Com error");
        }
        EXPECT_EQ(ui.waitCloses, ui.waitShows);
    }
    for (auto& e : fs::directory_iterator(dir))  // no temporary file left
        EXPECT_EQ(e.path().filename(), "old.ee");
}

}  // namespace
}  // namespace vx::test
