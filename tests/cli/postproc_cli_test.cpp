// vendrix-cli's post-processing commands as a script runs them: the table saved after a
// download, the edits of a table file, quick mode's conversion and the column graph.

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

// A full download without a temporary buffer, so the flash image holds every record.
const char* kLogger = "--simulate=qm41,seed=3,nodes=3,pages=20,tmpbuf=0";

class PostprocCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxppXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args) {
        ProcessOptions opts;
        opts.cwd = dir;
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    std::string read(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string dataFile() const {
        for (const std::string& n : files())
            if (std::regex_match(n, std::regex("[0-9]{6}_[0-9]{6}"))) return n;
        return {};
    }
    fs::path dir;
};

// The lines of a file, without their "\r\n".
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l.empty() || l.back() != '\r' ? l : l.substr(0, l.size() - 1));
    return out;
}

TEST_F(PostprocCli, TableSavedWithTheDownloadEqualsTheTableCommandOnItsFile) {
    for (std::string format : {"A", "B"}) {
        SCOPED_TRACE(format);
        auto d = cli({"download", kLogger, "--sample", "60", "-q", "--table", "dl.txt", "--format", format});
        ASSERT_EQ(d.exitCode, 0) << d.err;
        const std::string record = dataFile();
        ASSERT_FALSE(record.empty());
        auto t = cli({"table", record, "--format", format, "--out", "cmd.txt"});
        ASSERT_EQ(t.exitCode, 0) << t.err;
        EXPECT_FALSE(read("dl.txt").empty());
        EXPECT_EQ(read("dl.txt"), read("cmd.txt"));
        // A format A table loads again into the same table.
        if (format == "A") {
            ASSERT_EQ(cli({"table", "cmd.txt", "--format", "A", "--out", "again.txt"}).exitCode, 0);
            EXPECT_EQ(read("again.txt"), read("cmd.txt"));
        }
        // The data record file of the user's folder is left as the download wrote it.
        EXPECT_EQ(files().count(record), 1u);
    }
}

TEST_F(PostprocCli, ConvertOfTheVerboseOutputsEqualsTheDownloadedFile) {
    auto d = cli({"download", kLogger, "--sample", "60", "-q", "--verbose"});
    ASSERT_EQ(d.exitCode, 0) << d.err;
    const std::string record = dataFile();
    auto c = cli({"convert", "--image", "QM41data.bin", "--dump", "QM41data.txt", "--sample", "60", "--out",
                  "converted", "-q"});
    ASSERT_EQ(c.exitCode, 0) << c.err;
    EXPECT_EQ(read("converted"), read(record));
    EXPECT_NE(c.out.find("Start session............ " + record), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("Table page........ 0x"), std::string::npos);

    // Named after the session start without --out, and the session found by its start.
    fs::remove(dir / record);
    ASSERT_EQ(cli({"convert", "--session", record, "--sample", "60", "-q"}).exitCode, 0);
    EXPECT_EQ(read(record), read("converted"));

    auto unknown = cli({"convert", "--session", "200101_000000", "--sample", "60", "-q"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("no session starts at 200101_000000"), std::string::npos) << unknown.err;
}

// A data record file of four columns and five rows, named after its start.
const char* kRecordName = "240105_143000";
const char* kRecord =
    "Time[s]: 900\r\n"
    "\"A (V)\" \"B (V)\" \"C (V)\" \"D (V)\" \r\n"
    "1.5 2.5 3 10 \r\n"
    "1.5 2.5 3.2 11 \r\n"
    "1 1 1 12 \r\n"
    "2 2 2 13 \r\n"
    "4 4 4 14 \r\n";

TEST_F(PostprocCli, EditsActInTheOrderGiven) {
    write(kRecordName, kRecord);
    const struct {
        std::vector<std::string> edits;
        std::vector<std::string> head;  // the start, the header line and the first row
        size_t rows;
    } cases[] = {
        {{}, {"Start: 240105_143000", "\"A (V)\" \"B (V)\" \"C (V)\" \"D (V)\" ", "1.5 2.5 3 10 "}, 5},
        {{"--merge", "1-3"}, {"Start: 240105_143000", "\"A (V)\" \"D (V)\" ", "2 10 "}, 5},
        {{"--merge", "1,2,3", "--swap", "1,2"}, {"Start: 240105_143000", "\"D (V)\" \"A (V)\" ", "10 2 "}, 5},
        {{"--delete-columns", "2,4"}, {"Start: 240105_143000", "\"A (V)\" \"C (V)\" ", "1.5 3 "}, 5},
        {{"--swap", "1,4"},
         {"Start: 240105_143000", "\"D (V)\" \"B (V)\" \"C (V)\" \"A (V)\" ", "10 2.5 3 1.5 "},
         5},
        {{"--swap", "3,2"},
         {"Start: 240105_143000", "\"A (V)\" \"C (V)\" \"B (V)\" \"D (V)\" ", "1.5 3 2.5 10 "},
         5},
        // Item numbers stay after a cut: the second cut names items 3 and 5.
        {{"--delete-rows", "1-2", "--delete-rows", "5-5"},
         {"Start: 240105_150000", "\"A (V)\" \"B (V)\" \"C (V)\" \"D (V)\" ", "1 1 1 12 "},
         2},
        {{"--delete-rows", "4-5", "--delete-columns", "1"},
         {"Start: 240105_143000", "\"B (V)\" \"C (V)\" \"D (V)\" ", "2.5 3 10 "},
         3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"table", kRecordName, "--format", "A", "--out", "out.txt"};
        args.insert(args.end(), c.edits.begin(), c.edits.end());
        SCOPED_TRACE(::testing::PrintToString(c.edits));
        auto r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto got = lines(read("out.txt"));
        ASSERT_EQ(got.size(), 3 + c.rows);
        EXPECT_EQ(got[0], c.head[0]);
        EXPECT_EQ(got[1], "Time[s]: 900");
        EXPECT_EQ(got[2], c.head[1]);
        EXPECT_EQ(got[3], c.head[2]);
        fs::remove(dir / "out.txt");
    }
}

TEST_F(PostprocCli, FormatBWithCommasAndARecordFileNamedOtherwise) {
    write("plain.txt", kRecord);
    auto r =
        cli({"table", "plain.txt", "--start", "240105_143000", "--format", "B", "--comma", "--out", "b.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto got = lines(read("b.txt"));
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0], "\"DATE:\";\"TIME:\";\"A (V)\";\"B (V)\";\"C (V)\";\"D (V)\"");
    EXPECT_EQ(got[1], "\"05.01.24\";\"14:30:00\";1,5;2,5;3;10");
    EXPECT_EQ(got[2], "\"05.01.24\";\"14:45:00\";1,5;2,5;3,2;11");
}

// The CSV of a download holds the data record file's rows and columns, with a timestamp a
// sample time apart; the table command writes the same table in the excel-eu style.
TEST_F(PostprocCli, CsvOfADownloadHoldsItsDataRecordFile) {
    auto d = cli({"download", kLogger, "--sample", "60", "-q", "--csv"});
    ASSERT_EQ(d.exitCode, 0) << d.err;
    const std::string record = dataFile();
    ASSERT_FALSE(record.empty());
    const std::vector<std::string> data = lines(read(record)), csv = lines(read(record + ".csv"));
    ASSERT_EQ(csv.size(), data.size() - 1);  // no "Time[s]:" line
    ASSERT_GT(csv.size(), 2u);
    std::string names = "Timestamp", head = data[1];
    for (std::smatch m; std::regex_search(head, m, std::regex("\"([^\"]*)\""));) {
        names += "," + std::regex_replace(m[1].str(), std::regex("\xB0"), "\xC2\xB0");
        head = m.suffix();
    }
    EXPECT_EQ(csv[0], names);
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
    for (size_t r = 2; r < data.size(); ++r) {
        const std::string values =
            std::regex_replace(std::regex_replace(data[r], std::regex(" +$"), ""), std::regex(" "), ",");
        const std::string& row = csv[r - 1];
        ASSERT_TRUE(std::regex_match(row.substr(0, 25), iso)) << row;
        EXPECT_EQ(row.substr(25), "," + values) << "row " << r - 1;
    }
    // Rows a sample time apart: the minutes step, the seconds stay.
    EXPECT_NE(csv[1].substr(0, 16), csv[2].substr(0, 16));
    EXPECT_EQ(csv[1].substr(17, 2), csv[2].substr(17, 2));

    auto t = cli({"table", record, "--csv=eu.csv", "--csv-style=excel-eu"});
    ASSERT_EQ(t.exitCode, 0) << t.err;
    std::string eu = "\xEF\xBB\xBF" + std::regex_replace(csv[0], std::regex(","), ";") + "\r\n";
    for (size_t r = 1; r < csv.size(); ++r) {
        std::string row = csv[r];
        for (char& c : row)
            c = c == ',' ? ';' : c == '.' ? ',' : c;
        eu += row + "\r\n";
    }
    EXPECT_EQ(read("eu.csv"), eu);
}

TEST_F(PostprocCli, WrongCommandLinesExitTwoAndSayWhy) {
    write(kRecordName, kRecord);
    write("plain.txt", kRecord);
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"table", kRecordName, "--out", "o.txt"}, "--format A or --format B"},
        {{"table", kRecordName, "--format", "C", "--out", "o.txt"}, "--format A or --format B"},
        {{"table", kRecordName, "--format", "A"}, "--out FILE (or --csv) is required"},
        {{"table", kRecordName, "--csv", "--format", "A"}, "go with --out FILE"},
        {{"table", kRecordName, "--csv", "--csv-style=excel"}, "rfc4180 or excel-eu"},
        {{"table", kRecordName, "--csv-style=excel-eu", "--format", "A", "--out", "o.txt"},
         "goes with --csv"},
        {{"monitor", "--simulate", "--csv"}, "goes with --export FILE"},
        {{"monitor", "--simulate", "--export", "e.csv", "--period", "1", "--csv"}, "a name of its own"},
        {{"table", "--format", "A", "--out", "o.txt"}, "FILE is required"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--merge", "2"}, "two or more"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--swap", "1,2,3"}, "two data column"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-columns", "0"}, "from 1"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-columns", "5"},
         "4 data columns"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-rows", "2-3"},
         "first or end at the last"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-rows", "1-5"},
         "at least one row"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-rows", "4-9"}, "items 1 to 5"},
        {{"table", kRecordName, "--format", "A", "--out", "o.txt", "--delete-rows", "x"}, "FIRST-LAST"},
        {{"table", "plain.txt", "--format", "A", "--out", "o.txt"}, "--start YYMMDD_hhmmss"},
        {{"table", kRecordName, "--start", "240105-1430", "--format", "A", "--out", "o.txt"},
         "YYMMDD_hhmmss"},
        {{"download", "--simulate", "--sample", "60", "--format", "A"}, "go with --table"},
        {{"download", "--simulate", "--sample", "60", "--table", "t.txt"}, "--format A or --format B"},
        {{"convert"}, "--sample SECONDS is required"},
        {{"convert", "--sample", "60", "--session", "yesterday"}, "YYMMDD_hhmmss"},
        {{"convert", "--sample", "60", "--image", "flash.bin"}, "QM41data.bin"},
        {{"graph", kRecordName, "--out", "g.wmf"}, "--columns LIST is required"},
        {{"graph", kRecordName, "--columns", "1"}, "--out PICTURE is required"},
        {{"graph", kRecordName, "--columns", "1", "--out", "g.svg"}, "desktop program"},
        {{"graph", kRecordName, "--columns", "1", "--out", "g.png"}, "desktop program"},
        {{"graph", kRecordName, "--columns", "9", "--out", "g.wmf"}, "4 data columns"},
        {{"graph", kRecordName, "--columns", "1", "--rows", "3-3", "--out", "g.wmf"}, "FIRST below LAST"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(files(), (std::set<std::string>{kRecordName, "plain.txt"}));
}

TEST_F(PostprocCli, FailuresExitOneAndWriteNothing) {
    write("notatable.txt", "Start: 24-01-05\r\n");
    write(kRecordName, kRecord);
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"table", "missing", "--start", "240105_143000", "--format", "A", "--out", "o.txt"},
         "can not be read"},
        {{"table", "notatable.txt", "--format", "A", "--out", "o.txt"}, "File not valid"},
        {{"table", kRecordName, "--format", "A", "--out", "nofolder/o.txt"}, "can not be written"},
        {{"convert", "--sample", "60"}, "file not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(files(), (std::set<std::string>{kRecordName, "notatable.txt"}));
}

TEST_F(PostprocCli, GraphIsAPlaceableMetafile) {
    write(kRecordName, kRecord);
    for (std::vector<std::string> extra : {std::vector<std::string>{}, {"--rows", "2-4"}}) {
        std::vector<std::string> args{"graph", kRecordName, "--columns", "1,3-4", "--out", "g.wmf"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string wmf = read("g.wmf");
        ASSERT_GT(wmf.size(), 22u);
        EXPECT_EQ(wmf.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    }
    // An existing picture is replaced, as f with the overwrite question answered Yes.
    EXPECT_EQ(files(), (std::set<std::string>{kRecordName, "g.wmf"}));

    // A metafile reader draws it with its texts: the axis name and the legend's headers.
    const std::string cmd =
        "wmf2svg -o '" + (dir / "g.svg").string() + "' '" + (dir / "g.wmf").string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "wmf2svg (libwmf-bin, installed by tools/bootstrap) failed";
    const std::string svg = read("g.svg");
    for (const char* text : {"Item", "Graph legend", "A (V)", "C (V)", "D (V)"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace vx::test
