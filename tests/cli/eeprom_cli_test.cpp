// vendrix-cli eeprom as a script runs it: the simulated board's EEPROM dumped in both
// modes, the dump compared with firmware files, a failing and an interrupted dump.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/crc_x25.h"
#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

// Lines `first` .. first+count-1 of the simulated board's EEPROM before any upload: byte a
// holds (13 a + a / 256) mod 256 (sim/README.md).
std::string lines(int first, int count) {
    std::string s;
    char h[3];
    for (int l = first; l < first + count; ++l) {
        uint8_t d[32];
        for (int i = 0; i < 32; ++i) {
            const unsigned a = unsigned(l * 32 + i);
            d[i] = uint8_t(a * 13 + (a >> 8));
        }
        for (uint8_t b : d)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        const uint16_t c = crcX25(d, 32);
        s += (std::snprintf(h, sizeof h, "%02X", c & 0xFF), h);
        s += (std::snprintf(h, sizeof h, "%02X", c >> 8), h);
        s += "\r\n";
    }
    return s;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

class EepromCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxeecliXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args, ProcessOptions opts = {}) {
        opts.cwd = dir;
        args.insert(args.begin(), "eeprom");
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    std::vector<std::string> files() const {
        std::vector<std::string> v;
        for (auto& e : fs::directory_iterator(dir))
            v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }
    fs::path dir;
};

TEST_F(EepromCli, DumpsInBothModesAndCompares) {
    for (const char* mode : {"", "--fast"}) {
        SCOPED_TRACE(mode);
        std::vector<std::string> args = {"dump", "board.ee", "--simulate=vt71"};
        if (*mode) args.push_back(mode);
        ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(has(r.out, "512 of 512 blocks read")) << r.out;
        EXPECT_TRUE(has(r.out, "Data saved into file board.ee")) << r.out;
        EXPECT_EQ(read("board.ee"), lines(0, 1024));
    }
    std::string changed = "FW5x13\r\n" + lines(8, 4);
    changed[8 + 2 * 70 + 4] = changed[8 + 2 * 70 + 4] == '0' ? '1' : '0';
    write("match.fw", "FW5x13\r\n" + lines(8, 4));
    write("changed.fw", changed);
    struct Case {
        const char *dump, *fw;
        int exit;
        const char* text;
    } cases[] = {
        {"board.ee", "match.fw", 0, "Data are identical ! (4 records compared)"},
        {"board.ee", "changed.fw", 1, "record 2 of the firmware file differs"},
        {"none.ee", "match.fw", 1, "cannot be read"},
    };
    for (auto& c : cases) {
        ProcessResult r = cli({"compare", c.dump, c.fw});
        EXPECT_EQ(r.exitCode, c.exit) << c.dump << " " << c.fw;
        EXPECT_TRUE(has(r.out + r.err, c.text)) << r.out << r.err;
    }
}

TEST_F(EepromCli, FailureSaysTheDumpIsIncompleteAndNonBoardsAreRefused) {
    ProcessResult r = cli({"dump", "x.ee", "--simulate=vt71,ee-silent=5", "--fast"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Error in block No. 5 !")) << r.err;
    EXPECT_TRUE(has(r.err, "Download procedure was not completed !")) << r.err;
    EXPECT_TRUE(has(r.err, "x.ee holds only the 5 blocks received (of 512): it is incomplete.")) << r.err;
    EXPECT_EQ(read("x.ee"), lines(0, 10));
    EXPECT_EQ(files(), std::vector<std::string>{"x.ee"});

    r = cli({"dump", "y.ee", "--simulate=qm41"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "not an energy-monitoring board")) << r.err;
    EXPECT_EQ(cli({"dump", "--help"}).exitCode, 0);
    EXPECT_EQ(cli({"compare", "only.ee"}).exitCode, 2);
}

TEST_F(EepromCli, CtrlCStopsTheDumpAndLeavesNothing) {
    for (const char* mode : {"", "--fast"}) {
        SCOPED_TRACE(mode);
        ProcessOptions ctrlC;
        ctrlC.whileRunning = [calls = 0, sent = false](pid_t pid) mutable {
            if (!sent && ++calls >= 25 && catches(pid, SIGINT)) sent = kill(pid, SIGINT) == 0;
        };
        std::vector<std::string> args = {"dump", "slow.ee", "--simulate=vt71,baud=1200"};
        if (*mode) args.push_back(mode);
        ProcessResult r = cli(args, ctrlC);
        EXPECT_EQ(r.exitCode, 130) << r.err;
        EXPECT_TRUE(has(r.err, "vendrix-cli eeprom: interrupted")) << r.err;
        EXPECT_TRUE(files().empty());
    }
}

}  // namespace
}  // namespace vx::test
