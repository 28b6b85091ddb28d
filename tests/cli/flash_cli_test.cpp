// vendrix-cli flash and counter as a script runs them against the simulated devices.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class FlashCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxflXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(const std::vector<std::string>& args) {
        ProcessOptions opts;
        opts.cwd = dir;
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    void image(const std::string& name, size_t bytes) const {
        std::ofstream(dir / name, std::ios::binary) << std::string(bytes, '\x5A');
    }
    fs::path dir;
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string joined(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args)
        s += a + " ";
    return s;
}

TEST_F(FlashCli, UploadAndClear) {
    image("two.bin", 2 * 528);
    image("odd.bin", 527);
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"flash", "upload", "two.bin", "--simulate=qm41", "--yes"}, 0, "Pages written: 2 of 2\n", ""},
        {{"flash", "upload", "two.bin", "--simulate=qm41"}, 1, "", "Nothing written: confirm with --yes."},
        {{"flash", "upload", "odd.bin", "--simulate=qm41", "--yes"},
         1,
         "",
         "The file does not contain an integer number of data pages !"},
        {{"flash", "upload", "two.bin", "--simulate=qm41,fw=17", "--yes"},
         1,
         "",
         "Flash Upload Mode not supported !"},
        {{"flash", "upload", "two.bin", "--simulate=qm41,err-on=ATCM14 packet,err-nth=12", "--yes"},
         1,
         "Pages written: 1 of 2\n",
         "A data packet was not accepted !"},
        {{"flash", "clear", "--simulate=qm41,clear-ms=500", "--yes"},
         0,
         "The flash memory was cleared.\n",
         ""},
        {{"flash", "clear", "--simulate=qm41"}, 1, "", "Nothing cleared: confirm with --yes."},
        {{"flash", "upload", "--simulate=qm41"}, 2, "", "FILE.bin is required"},
        {{"flash", "erase"}, 2, "", "unknown subcommand erase"},
    };
    for (const Case& c : cases) {
        auto r = cli(c.args);
        SCOPED_TRACE(joined(c.args));
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_TRUE(has(r.out, c.out)) << r.out;
        EXPECT_TRUE(has(r.err, c.err)) << r.err;
    }
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_TRUE(e.path().extension() == ".bin") << "left behind: " << e.path();
}

TEST_F(FlashCli, Counters) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"counter", "energy", "--simulate=vt71,energy=1234"}, 0, "Energy counter: 123.4 kWh\n", ""},
        {{"counter", "energy", "123.5", "--simulate=vt71,energy=1234", "--yes"},
         0,
         "Energy counter set to 123.5 kWh.\n",
         ""},
        {{"counter", "energy", "123.5", "--simulate=vt71"}, 1, "", "Nothing written: confirm with --yes."},
        {{"counter", "energy", "200000000", "--simulate=vt71", "--yes"},
         2,
         "",
         "not a value the counter takes"},
        {{"counter", "days", "5", "--simulate=vt71", "--yes"}, 0, "Days counter set to 5.\n", ""},
        {{"counter", "days", "5", "--simulate=vt71,fw=1F", "--yes"}, 1, "", "firmware 0x20 or later"},
        {{"counter", "days", "--simulate=vt71"}, 2, "", "does not tell its days counter"},
        {{"counter", "energy", "--simulate=qm41"}, 1, "", "not an energy-monitoring board"},
    };
    for (const Case& c : cases) {
        auto r = cli(c.args);
        SCOPED_TRACE(joined(c.args));
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_TRUE(has(r.out, c.out)) << r.out;
        EXPECT_TRUE(has(r.err, c.err)) << r.err;
    }
}

}  // namespace
}  // namespace vx::test
