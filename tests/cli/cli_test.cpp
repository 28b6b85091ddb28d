// vendrix-cli as a script runs it: exit statuses, messages, and the files a command leaves
// in its folder, against the built-in simulated device.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

// True once the process has its own handler for `sig` (before that a signal would end it
// the default way, which is not what is tested).
bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxcliXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args, ProcessOptions opts = {}) {
        opts.cwd = dir;
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string read(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    // The data record file among the folder's files (named after the session start).
    std::string dataFile() const {
        for (const std::string& n : files())
            if (std::regex_match(n, std::regex("[0-9]{6}_[0-9]{6}"))) return n;
        return {};
    }
    // Sends `sig` once, as soon as a temporary file of a writer under way is in the folder.
    std::function<void(pid_t)> signalWhenWriting(int sig) {
        return [this, sig, sent = false](pid_t pid) mutable {
            for (const std::string& n : files())
                if (!sent && n[0] == '.' && n.size() > 4 && n.substr(n.size() - 4) == ".tmp" &&
                    catches(pid, sig)) {
                    kill(pid, sig);
                    sent = true;
                }
        };
    }
    fs::path dir;
};

const char* kLogger = "--simulate=qm41,seed=3,nodes=3,pages=20";

TEST_F(Cli, UsageErrorsExitTwoAndSayWhatWasWrong) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"download", kLogger}, "vendrix-cli download: --sample SECONDS is required (from 1 to 65535)"},
        {{"download", kLogger, "--sample", "0"}, "vendrix-cli download: --sample 0: from 1 to 65535"},
        {{"download", kLogger, "--sample", "65536"}, "--sample 65536: from 1 to 65535"},
        {{"download", kLogger, "--sample", "60", "--pages", "x"}, "--pages x: from 0 to 4095"},
        {{"download", kLogger, "--sample", "60", "--out="}, "--out: the file name is empty"},
        {{"identify", "--baud", "12345"}, "--baud 12345: one of 1200, 2400"},
        {{"identify", "-k", "2"}, "--comflow 2: 0 (DTR and RTS off) or 1 (on)"},
        {{"identify", "-t", "0"}, "--timeout 0: from 1 to 600000 ms"},
        {{"identify", "-p", ""}, "vendrix-cli identify: --port: the port name is empty"},
        {{"identify", "--simulate=qm41", "-p", "/dev/ttyS0"}, "--simulate and --port: use one of them"},
        {{"identify", "--simulate=qm99"}, "unknown profile qm99 (profiles: qm41, qm42, qm43"},
        {{"report", "--retries", "x"}, "--retries x: from 0 to 100"},
        {{"report", "--colour"}, "vendrix-cli report: unknown option --colour"},
        {{"frobnicate"}, "vendrix-cli: unknown command frobnicate"},
    };
    for (const auto& c : cases) {
        ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_TRUE(files().empty());
}

TEST_F(Cli, IdentifyTellsWhatAnswered) {
    const struct {
        const char* device;
        int status;
        const char* says;
    } cases[] = {
        {"--simulate=qm43,fw=12", 0, "Board type:       QM43 (B)\nFirmware release: B012\n"},
        {"--simulate=qm43boot", 0, "Boot loader:      Boot v.1.2"},
        {"--simulate=silent", 1, "Device not found !\n\n(BaudRate= 256000)"},
    };
    for (const auto& c : cases) {
        ProcessResult r = cli({"identify", c.device, "-t", "200"});
        EXPECT_EQ(r.exitCode, c.status) << c.device << r.err;
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
    }
}

TEST_F(Cli, ReportThatCouldNotReadEverythingFails) {
    ProcessResult ok = cli({"report", kLogger});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_NE(ok.out.find("Start session............ "), std::string::npos);

    // Every table piece comes back cut short: the table cannot be read, however often asked.
    ProcessResult bad = cli({"report", std::string(kLogger) + ",truncate=1,truncate-on=ATRD$", "-t", "150"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Com Error: Parsing error in Assignment Table !\nTry again ? [Yes]"),
              std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("Try again ? [No]"), std::string::npos);
    EXPECT_NE(bad.err.find("ATRD: reply cut off after"), std::string::npos) << bad.err;
    EXPECT_EQ(bad.out.find("Start session"), std::string::npos) << "no report with fields not read";

    // Devices that cannot take session commands are told apart, and nothing is sent to them.
    const std::pair<std::vector<std::string>, const char*> others[] = {
        {{"--simulate=qm43boot", "-t", "200"}, "is a QM43 waiting in its boot loader (Boot v.1.2)"},
        {{"--simulate=modem", "-m"}, "The modem answers, but dialling the logger behind it"},
    };
    for (const auto& [device, says] : others)
        for (const char* command : {"report", "clock-sync"}) {
            std::vector<std::string> args{command};
            args.insert(args.end(), device.begin(), device.end());
            ProcessResult r = cli(args);
            EXPECT_EQ(r.exitCode, 1) << command << " " << device[0];
            EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        }
}

TEST_F(Cli, DownloadWritesTheNamedFileAndNothingElse) {
    ProcessResult r = cli({"download", kLogger, "--sample", "60", "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string name = dataFile();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(files(), std::set<std::string>{name});
    EXPECT_NE(r.out.find(name + ": "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" rows, "), std::string::npos);
    EXPECT_NE(r.out.find("in " + fs::canonical(dir).string()), std::string::npos) << r.out;
    const std::string table = read(name);
    EXPECT_EQ(table.rfind("Time[s]: 60\r\n", 0), 0u);

    // --out writes that file only: an earlier file with the session-start name stays.
    write(name, "kept");
    r = cli({"download", kLogger, "--sample", "60", "-q", "--out", "other.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(files(), (std::set<std::string>{name, "other.txt"}));
    EXPECT_EQ(read(name), "kept");
    EXPECT_EQ(read("other.txt"), table);
}

TEST_F(Cli, DownloadThatCannotReadTheTemporaryBufferFails) {
    ProcessResult r = cli({"download", std::string(kLogger) + ",err=1,err-on=ATRB", "--sample", "60", "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.err.find("Warning: Download procedure was not completed !\n\nthe temporary buffer could not be "
                   "read (ATRB: the device answered ERR)"),
        std::string::npos)
        << r.err;
    EXPECT_TRUE(files().empty());
}

TEST_F(Cli, FullDiskFailsTheDownloadAndKeepsEarlierFiles) {
    write("QM41data.bin", "earlier image");
    ProcessOptions full;
    full.fileSizeLimit = 1 << 20;  // the 2 MB flash image cannot be written
    ProcessResult r = cli({"download", kLogger, "--sample", "60", "-q", "--verbose"}, full);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Warning: QM41data.bin can not be written !"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Download procedure was not completed !"), std::string::npos);
    EXPECT_EQ(read("QM41data.bin"), "earlier image");
    EXPECT_EQ(dataFile(), "") << "no data record file after a failed download";
    for (const std::string& n : files())
        EXPECT_NE(n[0], '.') << "temporary file left: " << n;
}

TEST_F(Cli, SignalsLeaveNoTemporaryFile) {
    // A paced link: the verbose table index takes many seconds, with the dump's temporary
    // file in the folder meanwhile.
    const std::string slow = std::string(kLogger) + ",baud=115200";
    ProcessOptions term;
    term.whileRunning = signalWhenWriting(SIGTERM);
    ProcessResult r = cli({"download", slow, "--sample", "60", "-q", "--verbose"}, term);
    EXPECT_EQ(r.signal, SIGTERM);
    EXPECT_TRUE(files().empty());

    ProcessOptions ctrlC;
    ctrlC.whileRunning = signalWhenWriting(SIGINT);
    r = cli({"download", slow, "--sample", "60", "-q", "--verbose"}, ctrlC);
    EXPECT_EQ(r.exitCode, 130);
    EXPECT_NE(r.err.find("vendrix-cli download: interrupted"), std::string::npos) << r.err;
    EXPECT_TRUE(files().empty());
}

TEST_F(Cli, CtrlCStopsAWaitingCommand) {
    // Nothing answers: Ctrl+C ends the identification after the transaction under way.
    ProcessOptions ctrlC;
    ctrlC.whileRunning = [sent = false](pid_t pid) mutable {
        if (!sent && catches(pid, SIGINT)) kill(pid, SIGINT), sent = true;
    };
    ProcessResult r = cli({"report", "--simulate=silent", "-t", "1000"}, ctrlC);
    EXPECT_EQ(r.exitCode, 130) << r.err;
}

TEST_F(Cli, BoardWithoutTableHasNothingToDownload) {
    ProcessResult r = cli({"download", "--simulate=nod85,seed=2,nodes=2,pages=5", "--sample", "60", "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The NOD85 interface board has no assignment table"), std::string::npos) << r.err;
    EXPECT_TRUE(files().empty());
}

}  // namespace
}  // namespace vx::test
