// --trace on vendrix-cli and the diagnostic archive, as a script or a support person uses
// them: the files left, what they hold, exit statuses.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

std::string tarProgram() {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (fs::exists(fs::path(dir) / "tar")) return (fs::path(dir) / "tar").string();
    return "/usr/bin/tar";
}

class DiagnoseCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxdiagXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult run(const std::string& program, std::vector<std::string> args) {
        ProcessOptions opts;
        opts.cwd = dir;
        return runProgram(program, args, opts);
    }
    ProcessResult cli(std::vector<std::string> args) { return run(programPath("vendrix-cli"), args); }
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
    std::string member(const std::string& archive, const std::string& name) {
        return run(tarProgram(), {"-xOf", archive, name}).out;
    }
    fs::path dir;
};

TEST_F(DiagnoseCli, TraceRecordsTheRunWhateverItsOutcome) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<const char*> holds;
    } cases[] = {
        {{"identify", "--simulate=qm41", "--trace", "t.txt"},
         0,
         {"# command line: ", " identify --simulate=qm41 --trace t.txt\n", "# platform: ", " > \"ATVR\\r\"\n",
          " = OK, ", " close "}},
        {{"--trace=t.txt", "identify", "--simulate=silent"},
         1,
         {" > \"***\"\n", " = time-out, 0 bytes", "message: \"Device not found !"}},
        {{"identify", "--simulate=qm41", "--baud", "7", "--trace", "t.txt"},
         2,
         {"message: \"vendrix-cli identify: --baud 7: one of"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        EXPECT_EQ(files(), std::set<std::string>{"t.txt"});
        const std::string trace = read("t.txt");
        for (const char* text : c.holds)
            EXPECT_NE(trace.find(text), std::string::npos) << text << "\n" << trace;
        fs::remove(dir / "t.txt");
    }
}

TEST_F(DiagnoseCli, ATraceThatCannotBeWrittenStopsTheRunAtOnce) {
    ProcessResult r = cli({"identify", "--simulate=qm41", "--trace", "missing/t.txt"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "The trace cannot be written: missing/t.txt: No such file or directory\n");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(files().empty());
}

TEST_F(DiagnoseCli, ArchiveHoldsTheFiveMembersAndTheProbesExchange) {
    ProcessResult r = cli({"diagnose", "--simulate=qm41,fw=20"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(files().size(), 1u);
    const std::string archive = *files().begin();
    EXPECT_TRUE(std::regex_match(archive, std::regex("vendrix-diagnose-[0-9]{8}_[0-9]{6}\\.tar"))) << archive;
    EXPECT_NE(r.out.find("Probe: found QM41, firmware release 0020, on "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Wrote " + archive + ":\n  version.txt "), std::string::npos) << r.out;

    ProcessResult list = run(tarProgram(), {"-tf", archive});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out, "version.txt\nplatform.txt\nports.txt\ntrace.txt\nmessages.txt\n");
    const struct {
        const char* name;
        const char* holds;
    } contents[] = {
        {"version.txt", "Build type: "},   {"platform.txt", "CPU architecture: "},
        {"ports.txt", "User: "},           {"trace.txt", " > \"ATVR\\r\"\n"},
        {"trace.txt", " < \"0020\\r\"\n"}, {"messages.txt", "The probe: found QM41"},
    };
    for (const auto& c : contents)
        EXPECT_NE(member(archive, c.name).find(c.holds), std::string::npos) << c.name << ": " << c.holds;
}

TEST_F(DiagnoseCli, AnEarlierTraceAndItsMessagesGoInToo) {
    ASSERT_EQ(cli({"identify", "--simulate=silent", "--trace", "earlier.txt"}).exitCode, 1);
    ProcessResult r = cli({"diagnose", "--simulate=silent", "--trace-of", "earlier.txt", "--out", "d.tar"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(run(tarProgram(), {"-tf", "d.tar"}).out,
              "version.txt\nplatform.txt\nports.txt\ntrace.txt\nmessages.txt\nearlier-trace.txt\n");
    EXPECT_EQ(member("d.tar", "earlier-trace.txt"), read("earlier.txt"));
    const std::string messages = member("d.tar", "messages.txt");
    EXPECT_NE(messages.find("The probe: Device not found !"), std::string::npos) << messages;
    EXPECT_NE(messages.find("Messages in earlier.txt:\nmessage: \"Device not found !"), std::string::npos)
        << messages;

    ProcessResult missing = cli({"diagnose", "--simulate=qm41", "--trace-of", "none.txt", "--out", "e.tar"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("The trace none.txt cannot be read."), std::string::npos) << missing.err;
    EXPECT_EQ(files(), (std::set<std::string>{"earlier.txt", "d.tar"}));
}

TEST_F(DiagnoseCli, EveryCommandsHelpShowsTrace) {
    for (std::vector<std::string> args : {std::vector<std::string>{"identify", "--help"},
                                          {"table", "--help"},
                                          {"board", "read", "--help"},
                                          {"diagnose", "--help"}}) {
        ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.out.find("--trace=FILE"), std::string::npos) << args[0] << "\n" << r.out;
    }
}

}  // namespace
}  // namespace vx::test
