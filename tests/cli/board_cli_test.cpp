// vendrix-cli board as a script runs it against the simulated energy-monitoring board.

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

class BoardCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxbdXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }

    ProcessResult cli(std::vector<std::string> args) {
        ProcessOptions opts;
        opts.cwd = dir;
        args.insert(args.begin(), "board");
        return runProgram(programPath("vendrix-cli"), args, opts);
    }
    std::string read(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    fs::path dir;
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(BoardCli, ReadShowsTheBoardsImage) {
    struct Case {
        std::string sim;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"--simulate=vt71",
         {"Potenza nominale impianto FV: 19800 Wp\n", "Tempo di acquisizione medie in memoria: 900 s\n",
          "Coefficiente Kco2: 0.53 kg/kWh\n", "Numero di telefono per invio SMS: +39123\n",
          "Numero di inverter gestiti: 2\n", "Indirizzo del primo inverter: 1\n",
          "Grandezza visualizzata su display 0: OFF\n", "Board status: ZERO\n"}},
        {"--simulate=vt71,tcm=600,inverters=5,opstatus=05",
         {"Tempo di acquisizione medie in memoria: 600 s\n", "Numero di inverter gestiti: 5\n",
          "Board status: REC\n"}},
    };
    for (const Case& c : cases) {
        auto r = cli({"read", c.sim});
        ASSERT_EQ(r.exitCode, 0) << c.sim << "\n" << r.err;
        EXPECT_EQ(r.out.find('\r'), std::string::npos);
        for (const auto& l : c.lines)
            EXPECT_TRUE(has(r.out, l)) << c.sim << ": " << l << "\n" << r.out;
    }
}

TEST_F(BoardCli, ParameterFileWrittenAndDescribed) {
    auto r = cli({"read", "--simulate=vt71,tcm=300", "--out", "plant.vt1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string file = read("plant.vt1");
    ASSERT_EQ(file.size(), 50u);
    EXPECT_EQ(file.substr(0, 9), std::string("VT71A_10\0", 9));
    EXPECT_EQ(uint8_t(file[9 + 7]) | uint8_t(file[9 + 8]) << 8, 300);  // TCM
    auto d = cli({"describe", "plant.vt1"});
    ASSERT_EQ(d.exitCode, 0) << d.err;
    // The file describes as the board did.
    EXPECT_EQ(r.out.substr(0, d.out.size()), d.out);
    EXPECT_TRUE(has(d.out, "Tempo di acquisizione medie in memoria: 300 s\n"));
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename(), "plant.vt1") << "left behind";
}

TEST_F(BoardCli, DescribeRefusesWhatIsNoParameterFile) {
    const std::string good = std::string("VT71A_10\0", 9) + std::string(41, '\x01');
    write("short.vt1", good.substr(0, 49));
    write("long.vt1", good + "x");
    write("magic.vt1", "VT71A_11" + good.substr(8));
    struct Case {
        std::string file, message;
    };
    for (const Case& c : std::vector<Case>{{"short.vt1", "File not valid !"},
                                           {"long.vt1", "File not valid !"},
                                           {"magic.vt1", "File not valid !"},
                                           {"missing.vt1", "File not found !"}}) {
        auto r = cli({"describe", c.file});
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_TRUE(has(r.err, c.message)) << c.file << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.file;
    }
}

TEST_F(BoardCli, CommandLineErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"describe"},
        {"describe", "a.vt1", "b.vt1"},
        {"read", "--simulate=vt71", "extra"},
        {"read", "--simulate=vt71", "--out="},
        {"inverters", "--simulate=vt71", "--on-error", "skip"},
        {"alarms", "--simulate=vt71", "--reset", "fire"},
        {"gsm", "--simulate=vt71", "--bogus"},
        {"set", "--simulate=vt71"},
        {"set", "--simulate=vt71", "tca"},
        {"set", "--simulate=vt71", "nosuch=1"},
        {"write", "--simulate=vt71"},
    };
    for (const auto& args : cases) {
        auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "(none)" : args[0]) << " " << r.err;
    }
    for (std::string sub : {"read", "describe", "set", "write", "displays", "inverters", "alarms", "gsm",
                            "save", "defaults", "reset"}) {
        auto r = cli({sub, "--help"});
        EXPECT_EQ(r.exitCode, 0) << sub;
        EXPECT_TRUE(has(r.out, "Usage: vendrix-cli board " + sub)) << r.out;
    }
    auto all = cli({"--help"});
    EXPECT_EQ(all.exitCode, 0);
}

TEST_F(BoardCli, OnlyABoardAnswersBoardCommands) {
    for (std::string sub : {"read", "alarms", "save"}) {
        auto r = cli({sub, "--simulate=qm41"});
        EXPECT_EQ(r.exitCode, 1) << sub;
        EXPECT_TRUE(has(r.err, "not an energy-monitoring board")) << r.err;
    }
}

TEST_F(BoardCli, InverterReport) {
    auto r = cli({"inverters", "--simulate=vt71,inverters=2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Number of inverters: 2\nAddress range: 1...2\n")) << r.out;
    EXPECT_TRUE(has(r.out, "(001)-SN:130001-")) << r.out;
    EXPECT_TRUE(has(r.out, "(002)-SN:130002-")) << r.out;
    EXPECT_TRUE(has(r.out, "Pin: ")) << r.out;

    struct Case {
        std::string onError;
        bool secondShown, totalShown;
    };
    for (const Case& c : std::vector<Case>{{"abort", false, false}, {"ignore", true, true}}) {
        auto f = cli(
            {"inverters", "--simulate=vt71,inverters=2,inv-silent=1", "-t", "200", "--on-error", c.onError});
        EXPECT_EQ(f.exitCode, 1) << c.onError;
        EXPECT_TRUE(has(f.err, "Inverter reading error")) << f.err;
        EXPECT_EQ(has(f.out, "(002)-SN:130002-"), c.secondShown) << c.onError << "\n" << f.out;
        EXPECT_EQ(has(f.out, "Pin: "), c.totalShown) << c.onError << "\n" << f.out;
        if (c.secondShown) {
            EXPECT_TRUE(has(f.out, "(001)-SN:Error-Error")) << f.out;
        }
    }
}

TEST_F(BoardCli, AlarmsAndTheirAcknowledgement) {
    auto r = cli({"alarms", "--simulate=vt71,alarm=35"});  // inverter alarm with SMS, burglar alarm
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Alarm register: 35\n")) << r.out;
    EXPECT_TRUE(has(r.out, "inverter     ALARM SMS      Single inverter alarm = 2 (Rmin=85%)\n")) << r.out;
    EXPECT_TRUE(has(r.out, "burglar      ALARM -        Burglar alarm\n")) << r.out;
    EXPECT_TRUE(has(r.out, "auxiliaries  ok    -        Auxiliaries alarm\n")) << r.out;

    struct Case {
        std::string reset, reg;
    };
    for (const Case& c : std::vector<Case>{{"inverter", "17"}, {"burglar", "35"}}) {
        auto a = cli({"alarms", "--simulate=vt71,alarm=37", "--reset", c.reset});
        ASSERT_EQ(a.exitCode, 0) << a.err;
        EXPECT_TRUE(has(a.out, "Alarm register: " + c.reg + "\n")) << c.reset << "\n" << a.out;
    }
}

TEST_F(BoardCli, GsmField) {
    auto r = cli({"gsm", "--simulate=vt71,gsm=7/99"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Rx field: 7\nBit err rate: 99\n");
    auto none = cli({"gsm", "--simulate=vt71,gsm=none", "-t", "200"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(has(none.err, "modem GSM")) << none.err;
}

TEST_F(BoardCli, SaveDefaultsAndReset) {
    auto s = cli({"save", "--simulate=vt71"});
    EXPECT_EQ(s.exitCode, 0) << s.err;
    EXPECT_TRUE(has(s.out, "VT71a")) << s.out;
    for (std::string sub : {"defaults", "reset"}) {
        // The board is deaf for a while after the command; the program waits for it.
        auto r = cli({sub, "--simulate=vt71,tcm=450,reboot=800"});
        EXPECT_EQ(r.exitCode, 0) << sub << "\n" << r.err;
        EXPECT_TRUE(has(r.out, "Tempo di acquisizione medie in memoria: 450 s\n")) << sub << "\n" << r.out;
    }
}

TEST_F(BoardCli, BoardThatDoesNotComeBackIsAnError) {
    auto r = cli({"reset", "--simulate=vt71,reboot=600000", "-t", "500"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Error in recovering from Reset !")) << r.err;
    EXPECT_FALSE(has(r.out, "Potenza nominale")) << r.out;
}

TEST_F(BoardCli, SetChecksPrintsWritesAndReadsBack) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::vector<std::string> out, err;
    };
    const std::vector<Case> cases = {
        {{"--simulate=vt71", "tca=30", "display3=2", "source=3", "kco2=0.45", "--dry-run"},
         0,
         {"  tca: 60 -> 30\n", "  kco2: 0.53 -> 0.45\n", "  source: 0 - Impulso SO -> 3 - RS232 (Com3)\n",
          "  display3: 0 - OFF -> 2 - Active Energy (kWh)\n", "Dry run: nothing written.\n"},
         {}},
        // The window's own refusals, before anything is sent.
        {{"--simulate=vt71", "source=3", "--yes"}, 2, {}, {"Warning, Display 3 is not enabled !"}},
        {{"--simulate=vt71", "ki=5", "--yes"}, 2, {}, {"ki=5: is out of range (10 ... 99990)"}},
        {{"--simulate=vt71", "phone=+39x", "--yes"}, 2, {}, {"only digits and '+'"}},
        {{"--simulate=vt71", "tca=60", "--yes"}, 0, {"Nothing to change"}, {}},
        {{"--simulate=vt71", "tca=30"}, 1, {"  tca: 60 -> 30\n"}, {"Nothing written: confirm with --yes."}},
        {{"--simulate=vt71", "tca=30", "aux-wireless=on", "--yes"},
         0,
         {"  aux-address: 0 -> 250\n", "Written and read back"},
         {}},
        // A cell that keeps its old value: only the read-back finds it.
        {{"--simulate=vt71,ee-stuck=3", "tca=30", "--yes"},
         1,
         {},
         {"byte 3: written 1E, the board holds 3C\n",
          "The VT71a does not hold the new values: 1 byte differs."}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"set"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = cli(args);
        const std::string what = c.args[1];
        EXPECT_EQ(r.exitCode, c.exit) << what << "\n" << r.out << r.err;
        for (const auto& l : c.out)
            EXPECT_TRUE(has(r.out, l)) << what << ": " << l << "\n" << r.out;
        for (const auto& l : c.err)
            EXPECT_TRUE(has(r.err, l)) << what << ": " << l << "\n" << r.err;
    }
}

TEST_F(BoardCli, WriteParameterFile) {
    ASSERT_EQ(cli({"read", "--simulate=vt71,tcm=300", "--out", "plant.vt1"}).exitCode, 0);
    std::string file = read("plant.vt1");
    ASSERT_EQ(file.size(), 50u);
    auto r = cli({"write", "plant.vt1", "--simulate=vt71", "--yes"});  // the board's TCM is 900
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "  tcm: 900 -> 300\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Written and read back")) << r.out;

    file[9 + 9] = file[9 + 10] = 0;  // Ki 0
    write("noki.vt1", file);
    auto bad = cli({"write", "noki.vt1", "--simulate=vt71", "--yes"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(has(bad.err, "ki=0: is out of range")) << bad.err;
    write("short.vt1", file.substr(0, 49));
    auto invalid = cli({"write", "short.vt1", "--simulate=vt71", "--yes"});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(has(invalid.err, "File not valid !")) << invalid.err;
}

TEST_F(BoardCli, DisplayBoards) {
    auto r = cli({"displays", "--simulate=vt71,displays=2,display-family=vt75h", "--out", "displays.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Display boards: VT75h\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Display 1 (rev.")) << r.out;
    EXPECT_TRUE(has(r.out, "mode 0 - TXT")) << r.out;
    EXPECT_TRUE(has(r.out, "Display 2: I2C Slave Board not found !\n")) << r.out;
    EXPECT_TRUE(has(r.out, read("displays.txt"))) << read("displays.txt");
    auto none = cli({"displays", "--simulate=vt71"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "Display boards: none\n");
}

}  // namespace
}  // namespace vx::test
