// vendrix-cli through a dial-up modem: --modem NUMBER dials the simulated modem, works
// with the device behind it and hangs up, whatever the command's outcome.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

struct Case {
    std::vector<std::string> args;
    int exit;
    std::string out, err;
};

class ModemCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxmdXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(const std::vector<std::string>& args, const ProcessOptions& base = {}) {
        ProcessOptions opts = base;
        opts.cwd = dir;
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    void expectAll(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.args[0] + " " + c.args[1]);
            ProcessResult r = cli(c.args);
            EXPECT_EQ(r.exitCode, c.exit) << r.err;
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        }
    }
    fs::path dir;
};

TEST_F(ModemCli, DialsAndWorksWithTheDeviceBehindTheModem) {
    expectAll({
        {{"identify", "--simulate=modem,remote=qm41,dial-delay=100", "--modem", "123"},
         0,
         "Modem line:       Connect (123)\nBoard type:       QM41 (0)\n",
         ""},
        {{"board", "read", "--simulate=modem,remote=vt71,dial-result=12,line-delay=100", "--modem=5550100"},
         0,
         "Board status: ZERO",
         ""},
        {{"board", "read", "--simulate=modem,remote=vt71", "-m"},
         1,
         "",
         "give the plant's number with --modem NUMBER"},
        {{"identify", "--simulate=modem", "--modem", "1234567890123456"}, 2, "", "at most 15"},
    });
}

TEST_F(ModemCli, FailedCallsAndHangUpsEndWithTheirReason) {
    expectAll({
        {{"identify", "--simulate=modem,dial-result=7,dial-delay=100", "--modem", "123"},
         1,
         "",
         "The call to 123 did not connect: Busy"},
        {{"identify", "--simulate=modem,dial-result=8,dial-delay=100", "-m", "123"},
         1,
         "",
         "did not connect: No answer"},
        {{"identify", "--simulate=modem,remote=none,dial-delay=100", "-m", "123"},
         1,
         "",
         "Datalogger not found !"},
        // The modem keeps the line when the escape is not framed by its
        // (here longer) guard time: the command cannot end as a success.
        {{"identify", "--simulate=modem,guard=5000,dial-delay=100", "-m", "123"},
         1,
         "QM41",
         "did not confirm the hang-up"},
    });
}

bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

TEST_F(ModemCli, CtrlCAbandonsTheDial) {
    ProcessOptions ctrlC;
    ctrlC.whileRunning = [calls = 0](pid_t pid) mutable {
        if (++calls == 25 && catches(pid, SIGINT)) kill(pid, SIGINT);  // after about half a second
    };
    ProcessResult r = cli({"identify", "--simulate=modem,dial-delay=600000", "--modem", "123"}, ctrlC);
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_NE(r.err.find("vendrix-cli identify: interrupted"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vx::test
