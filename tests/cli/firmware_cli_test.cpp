// vendrix-cli firmware as a script runs it: a firmware file checked, and uploaded into the
// simulated board and boot loader.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/crc_x25.h"
#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

// A firmware file of random records with correct CRCs.
std::string firmware(int records, char type = '5') {
    std::mt19937 rng(7);
    std::string s = std::string("FW") + type + "x13\r\n";
    for (int k = 0; k < records; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = uint8_t(rng());
        const uint16_t c = crcX25(rec, 32);
        rec[32] = uint8_t(c);
        rec[33] = uint8_t(c >> 8);
        char h[3];
        for (uint8_t b : rec)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        s += "\r\n";
    }
    return s;
}

bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class FirmwareCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxfwXXXXXX";
        dir = mkdtemp(tmpl);
        write("ok.fw", firmware(8));
        write("boot.fw", firmware(6, 'B'));
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args, ProcessOptions opts = {}) {
        opts.cwd = dir;
        args.insert(args.begin(), "firmware");
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    fs::path dir;
};

TEST_F(FirmwareCli, CheckPrintsTheFileOrRefusesIt) {
    std::string wrongDigit = firmware(4);
    wrongDigit[8 + 70 + 3] = wrongDigit[8 + 70 + 3] == 'A' ? 'B' : 'A';
    write("odd.fw", firmware(3));
    write("digit.fw", wrongDigit);
    write("long.fw", firmware(1026));
    ProcessResult r = cli({"check", "ok.fw"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Board type:  VT71 (5)")) << r.out;
    EXPECT_TRUE(has(r.out, "FW version:  1.3")) << r.out;
    EXPECT_TRUE(has(r.out, "Records:     8")) << r.out;
    const std::pair<const char*, const char*> bad[] = {{"odd.fw", "odd number of records"},
                                                       {"digit.fw", "record 1: CRC error"},
                                                       {"long.fw", "more than 1024 records"},
                                                       {"missing.fw", "cannot be read"}};
    for (auto [file, why] : bad) {
        r = cli({"check", file});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_TRUE(has(r.err, "File sorgente non valido !")) << r.err;
        EXPECT_TRUE(has(r.err, why)) << r.err;
    }
}

TEST_F(FirmwareCli, UploadsOnEitherPath) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string out;
    } cases[] = {
        {{"ok.fw", "--simulate=vt71,fw-err=3", "--yes", "--no-reset"},
         0,
         "8 of 8 records acknowledged (1 errors)"},
        {{"ok.fw", "--simulate=nod85,fw-err=0/6", "--yes", "--no-reset", "--fast"},
         0,
         "8 of 8 records acknowledged (2 errors)"},
        {{"boot.fw", "--simulate=qm43boot,boot-nak=2", "--yes"}, 0, "6 of 6 records acknowledged (1 errors)"},
        {{"ok.fw", "--simulate=vt71,fw-reject=4", "--yes", "--no-reset"}, 1, "4 of 8 records acknowledged"},
        {{"boot.fw", "--simulate=qm43boot,boot-silent=1", "--yes"}, 1, "2 of 6 records acknowledged"},
        {{"ok.fw", "--simulate=vt71"}, 1, ""},
        {{"ok.fw", "--simulate=qm41", "--yes"}, 1, ""},
    };
    for (auto& c : cases) {
        c.args.insert(c.args.begin(), "upload");
        ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args[2] << "\n" << r.err;
        EXPECT_TRUE(has(r.out, c.out)) << r.out;
    }
}

TEST_F(FirmwareCli, CtrlCStopsTheUpload) {
    write("big.fw", firmware(200));
    ProcessOptions ctrlC;
    ctrlC.whileRunning = [calls = 0](pid_t pid) mutable {
        if (++calls == 25 && catches(pid, SIGINT)) kill(pid, SIGINT);
    };
    ProcessResult r = cli({"upload", "big.fw", "--simulate=vt71,baud=1200", "--yes"}, ctrlC);
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_TRUE(has(r.err, "vendrix-cli firmware: interrupted")) << r.err;
}

}  // namespace
}  // namespace vx::test
