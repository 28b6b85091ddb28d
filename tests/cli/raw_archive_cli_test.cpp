// download --archive / --since and convert --archive as a script runs them: the archive
// decoded again, or brought up to date, gives the very file a fresh download gives.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/process.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class RawArchiveCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxrawcliXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args) {
        ProcessOptions opts;
        opts.cwd = dir;
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    // Runs a command that must succeed.
    std::string ok(std::vector<std::string> args) {
        ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << args[0] << " " << args[1] << "\n" << r.err;
        return r.out;
    }
    std::string read(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    fs::path dir;
};

// The logger's clock is fixed so that both downloads see the same session and clocks.
std::string logger(const std::string& session) {
    return "--simulate=qm41," + session + ",clock=240603_120000";
}

TEST_F(RawArchiveCli, ConvertingTheArchiveGivesTheDownloadOfThatSampleTime) {
    const struct {
        const char* session;
        std::vector<std::string> extra;  // the download's own options
        const char* s1;
        const char* s2;
    } cases[] = {
        {"seed=3,nodes=3,pages=20", {}, "60", "300"},
        {"seed=8,nodes=3,wrapped=1,satmr=30", {}, "3600", "600"},  // the table page inside the range
        {"seed=12,nodes=3,pages=5,tmpbuf=300,tmpbad=1", {}, "60", "7"},
        {"seed=13,nodes=3,pages=5,tmpbuf=300,tmpcut=1", {}, "60", "1"},
        {"seed=4,nodes=3,pages=30", {"--pages", "7"}, "120", "30"},
        {"seed=9,nodes=3,pages=12,tmpbuf=500,satmr=2", {"--pages", "0"}, "5", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.session);
        fs::remove_all(dir / "raw");
        std::vector<std::string> archived{"download", logger(c.session), "-q",        "--sample", c.s1,
                                          "--out",    "first",           "--archive", "raw"};
        archived.insert(archived.end(), c.extra.begin(), c.extra.end());
        ok(archived);
        ASSERT_TRUE(fs::exists(dir / "raw" / "manifest.txt"));

        std::vector<std::string> fresh{"download", logger(c.session), "-q",   "--sample",
                                       c.s2,       "--out",           "fresh"};
        fresh.insert(fresh.end(), c.extra.begin(), c.extra.end());
        ok(fresh);
        std::string out = ok({"convert", "--archive", "raw", "--sample", c.s2, "-q", "--out", "converted"});
        EXPECT_NE(out.find("converted: "), std::string::npos) << out;
        ASSERT_FALSE(read("fresh").empty());
        EXPECT_TRUE(read("converted") == read("fresh"));
        // At the archive's own sample time, the first download's file once more.
        ok({"convert", "--archive", "raw", "--sample", c.s1, "-q", "--out", "again"});
        EXPECT_TRUE(read("again") == read("first"));
    }
    // Without --out the file is named after the session start, as a download names it.
    std::string out = ok({"convert", "--archive", "raw", "--sample", "60", "-q"});
    EXPECT_EQ(out.rfind("240517_083000: ", 0), 0u) << out;
    EXPECT_TRUE(fs::exists(dir / "240517_083000"));
}

TEST_F(RawArchiveCli, SinceReadsTheNewPagesAndGivesTheFullDownload) {
    const struct {
        const char* before;
        const char* after;
        std::vector<std::string> archiveOptions;
        const char* readNow;  // pages read by the incremental download
    } cases[] = {
        // The archive's last page is read again: it may have been written further since.
        {"seed=3,nodes=3,pages=20", "seed=3,nodes=3,pages=30", {}, "(11 read now)"},
        {"seed=5,nodes=4,pages=40,tmpbuf=400", "seed=5,nodes=4,pages=40,tmpbuf=400", {}, "(1 read now)"},
        // An archive of the last pages only: the older pages are read too.
        {"seed=3,nodes=3,pages=20", "seed=3,nodes=3,pages=25", {"--pages", "4"}, "(22 read now)"},
        {"seed=6,nodes=2,pages=0", "seed=6,nodes=2,pages=3", {}, "(3 read now)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        fs::remove_all(dir / "raw");
        std::vector<std::string> archived{"download", logger(c.before), "-q",        "--sample", "60",
                                          "--out",    "first",          "--archive", "raw"};
        archived.insert(archived.end(), c.archiveOptions.begin(), c.archiveOptions.end());
        ok(archived);
        std::string out =
            ok({"download", logger(c.after), "-q", "--sample", "60", "--out", "since", "--since", "raw"});
        EXPECT_NE(out.find(c.readNow), std::string::npos) << out;
        ok({"download", logger(c.after), "-q", "--sample", "60", "--out", "full"});
        ASSERT_FALSE(read("full").empty());
        EXPECT_TRUE(read("since") == read("full"));
        // The archive now holds the session as the incremental download saw it.
        ok({"convert", "--archive", "raw", "--sample", "60", "-q", "--out", "converted"});
        EXPECT_TRUE(read("converted") == read("full"));
    }
}

TEST_F(RawArchiveCli, RefusesAnArchiveOfAnotherSessionOrOneNotComplete) {
    ok({"download", logger("seed=3,nodes=3,pages=20"), "-q", "--sample", "60", "--archive", "raw"});
    fs::create_directory(dir / "empty");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"download", logger("seed=7,nodes=3,pages=20"), "-q", "--sample", "60", "--since", "raw", "--out",
          "x"},
         1,
         "raw holds another session (table page 0x"},
        {{"download", logger("seed=3,nodes=3,pages=20"), "-q", "--sample", "60", "--since", "empty", "--out",
          "x"},
         1,
         "empty: no complete raw archive here (manifest.txt is missing"},
        {{"convert", "--archive", "empty", "--sample", "60", "--out", "x"}, 1, "manifest.txt is missing"},
        {{"download", logger("seed=3"), "--sample", "60", "--archive", "a", "--since", "raw"},
         2,
         "--archive and --since do not go together"},
        {{"download", logger("seed=3"), "--sample", "60", "--since="},
         2,
         "--since: the folder name is empty"},
        {{"convert", "--archive", "raw", "--sample", "60", "--image", "QM41data.bin"},
         2,
         "--archive DIR takes no --image"},
    };
    for (const auto& c : cases) {
        ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.says << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "x")) << c.says;
    }
    // An archive whose pieces no longer match its manifest is refused too.
    std::fstream(dir / "raw" / "pages.bin", std::ios::in | std::ios::out | std::ios::binary).put('\x7F');
    ProcessResult r = cli({"convert", "--archive", "raw", "--sample", "60", "--out", "x"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("pages.bin does not match its size and SHA-256"), std::string::npos) << r.err;

    // A disk too full for the pages: the download fails, leaving no half archive and no file.
    ProcessOptions full;
    full.cwd = dir;
    full.fileSizeLimit = 4096;
    r = runProgram(programPath("vendrix-cli"),
                   {"download", logger("seed=3,nodes=3,pages=20"), "-q", "--sample", "60", "--archive", "new",
                    "--out", "x"},
                   full);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Warning: new can not be written !"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "new"));
    EXPECT_FALSE(fs::exists(dir / "x"));
}

}  // namespace
}  // namespace vx::test
