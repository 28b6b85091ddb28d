// vendrix-cli as a script runs it: exit statuses, messages, and the files a command leaves
// in its folder, against the built-in simulated device.

#include <gtest/gtest.h>

#include <algorithm>
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
        {{"monitor", kLogger, "--duration", "0"}, "--duration 0: from 1 to 31536000 seconds"},
        {{"monitor", kLogger, "--export", "x.csv"}, "--export FILE and --period SECONDS go together"},
        {{"monitor", kLogger, "--period", "5"}, "--export FILE and --period SECONDS go together"},
        {{"monitor", kLogger, "--export", "x.csv", "--period", "65536"}, "--period 65536: from 1 to 65535"},
        {{"monitor", kLogger, "--export=", "--period", "5"}, "--export: the file name is empty"},
        {{"sample-timer", kLogger}, "vendrix-cli sample-timer: SECONDS is required (from 0 to 65535)"},
        {{"sample-timer", kLogger, "-5"}, "unknown option -5"},
        {{"sample-timer", kLogger, "1.5"}, "1.5: a whole number of seconds (0 to 65535)"},
        {{"sample-timer", kLogger, "10", "20"}, "SECONDS is required (from 0 to 65535)"},
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
        {{"--simulate=modem", "-m"}, "The modem answers: give the plant's number with --modem NUMBER"},
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

// The lines of a text with their ends taken off; "" marks a line end missing at the end.
std::vector<std::string> linesOf(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    size_t p = 0;
    for (size_t e; (e = text.find(end, p)) != std::string::npos; p = e + end.size())
        lines.push_back(text.substr(p, e - p));
    if (p < text.size()) lines.push_back("");
    return lines;
}

// Every row of an export file whole: the header's number of fields and its line end.
void expectWholeRows(const std::string& csv, size_t minRows) {
    auto rows = linesOf(csv, "\r\n");
    ASSERT_GE(rows.size(), minRows + 1) << csv;
    size_t fields = size_t(std::count(rows[0].begin(), rows[0].end(), ';'));
    EXPECT_EQ(rows[0].rfind("\"Timestamp\";\"CH", 0), 0u) << rows[0];
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_TRUE(std::regex_match(rows[i], std::regex("[0-9]{6}_[0-9]{6}(;-?[0-9]+([.,][0-9]+)?)+")))
            << rows[i];
        EXPECT_EQ(size_t(std::count(rows[i].begin(), rows[i].end(), ';')), fields) << rows[i];
    }
}

const char* kMonitoring = "--simulate=qm41,seed=3,nodes=3,pages=20,mon-rate=300,mon-unknown=0.1";

TEST_F(Cli, MonitorPrintsWhatTheBoxShowsAndWritesItsFiles) {
    ProcessResult r = cli({"monitor", kMonitoring, "--duration", "3", "--export", "data.csv", "--period", "1",
                           "--comma", "--save"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(files(), (std::set<std::string>{"QM41mon.txt", "data.csv"}));
    EXPECT_EQ(r.out.find('\r'), std::string::npos) << "terminal lines end with \\n only";
    auto lines = linesOf(r.out, "\n");
    ASSERT_GT(lines.size(), 300u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("[0-9]+>>( CH[0-9]+_[0-9]+= -?[0-9.]+)+"))) << lines[0];
    size_t packets = 0;
    for (const std::string& l : lines) {
        EXPECT_TRUE(
            std::regex_match(l, std::regex("[0-9]+>> .*|[0-9]{2}:[0-9]{2}:[0-9]{2}>> .* Vbat= [0-9.]+|"
                                           "BC>> NodeAd= .* Vbat= [0-9]+|TEST>> NodeAd= [0-9]+ OK")))
            << l;
        packets +=
            l.find(">> NodeAd= ") != std::string::npos || l.rfind("BC>>", 0) == 0 || l.rfind("TEST", 0) == 0;
    }
    EXPECT_GT(packets, 0u);
    // Save writes the box's text with "\r\n" line ends: what was printed, line for line.
    std::string expected;
    for (const std::string& l : lines)
        expected += l + "\r\n";
    EXPECT_EQ(read("QM41mon.txt"), expected);
    const std::string csv = read("data.csv");
    expectWholeRows(csv, 1);
    EXPECT_NE(csv.find(','), std::string::npos) << "decimal commas";
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(r.err, m, std::regex("monitor: ([0-9]+) lines received; data.csv: ([0-9]+) rows")));
    EXPECT_EQ(std::stoul(m[2]), linesOf(csv, "\r\n").size() - 1);
}

TEST_F(Cli, MonitorExportThatCannotBeWrittenKeepsItsWholeRows) {
    ProcessOptions full;
    full.fileSizeLimit = 400;  // the header and one row
    ProcessResult r =
        cli({"monitor", kMonitoring, "--duration", "5", "--export", "data.csv", "--period", "1"}, full);
    EXPECT_EQ(r.exitCode, 1);
    const std::string said = "File Error: Data export file data.csv can not be written !";
    ASSERT_NE(r.err.find(said), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(said, r.err.find(said) + 1), std::string::npos) << "reported once";
    EXPECT_NE(r.out.find(">> "), std::string::npos) << "the monitor went on";
    const std::string csv = read("data.csv");
    EXPECT_LE(csv.size(), 400u);
    expectWholeRows(csv, 1);

    r = cli({"monitor", kMonitoring, "--duration", "1", "--export", "no/such/data.csv", "--period", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("File Error: Data export file no/such/data.csv can not be created !"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find(">> "), std::string::npos);
}

TEST_F(Cli, MonitorEndsCleanlyAtCtrlCAndWhenTheLoggerGoesAway) {
    ProcessOptions ctrlC;
    ctrlC.whileRunning = [calls = 0](pid_t pid) mutable {
        if (++calls == 100 && catches(pid, SIGINT)) kill(pid, SIGINT);  // after about two seconds
    };
    ProcessResult r = cli({"monitor", kMonitoring, "--export", "data.csv", "--period", "1"}, ctrlC);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Warning: Data export file will be closed. Proceed ? [Yes]"), std::string::npos)
        << r.err;
    expectWholeRows(read("data.csv"), 0);

    r = cli({"monitor", std::string(kMonitoring) + ",vanish-nth=100,vanish-on=ATUC,vanish-close=1",
             "--duration", "60"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.err.find("Com Error: The datalogger is no longer connected: the monitor receives nothing more."),
        std::string::npos)
        << r.err;
}

TEST_F(Cli, SampleTimerSetsTheNodesAsTheDialogDoes) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"sample-timer", "70000", kLogger},
         0,
         "Sampling timer of the nodes set to 65535 s (ATSTFFFF)\n",
         "Info: Execute the test routine (P button) and wait for the return to ASSIGNMENT status"},
        {{"sample-timer", "120", std::string(kLogger) + ",status=00"},
         0,
         "Sampling timer of the nodes set to 120 s (ATST0078)\n",
         "Info: 1) Activate the nodes with WX2x devices"},
        {{"sample-timer", "0", kLogger},
         0,
         "ATST0000 sent: the nodes keep their sampling timer\n",
         "Warning: Make sure the datalogger is in READY status\n (B LED lit yellow)"},
        {{"sample-timer", "30", std::string(kLogger) + ",err=1,err-on=ATST"},
         1,
         "",
         "The datalogger did not accept ATST001E\n(ATST001E: the device answered ERR)"},
        {{"sample-timer", "30", std::string(kLogger) + ",err=1,err-on=ATCM06"},
         1,
         "",
         "The datalogger did not leave its idle state (ATCM06).\n(ATCM06: the device answered ERR)"},
    };
    for (const auto& c : cases) {
        ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args[1] << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    EXPECT_TRUE(files().empty());
}

}  // namespace
}  // namespace vx::test
