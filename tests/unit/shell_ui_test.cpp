// The desktop program's command line (tests/integration/startup_test.cpp runs its roads),
// the line settings a port gets, the hex parsers, the input dialogs' rules and the wait
// window's state.

#include <gtest/gtest.h>

#include "link/com.h"
#include "link/parsers.h"
#include "shell/command_line.h"
#include "shell/startup_state.h"
#include "sim/fake_serial_port.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace {

using CommandLineTest = vx::test::ProgramTest;

TEST_F(CommandLineTest, Switches) {
    const struct {
        const char* line;
        uint32_t baud;
        int comma, format, fastRead, modem, comflow;
        uint32_t tmo;
        const char* file;
    } cases[] = {
        {"", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b12345", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b 19200", 256000, 0, 0, 1, 0, 0, 0, "19200"},
        {"-o3", 256000, 1, 1, 1, 0, 0, 0, ""},
        {"-o2", 256000, 0, 1, 1, 0, 0, 0, ""},
        {"-o3 -o0", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-m -b9600", 9600, 0, 0, 1, 1, 0, 0, ""},
        {"-k1", 256000, 0, 0, 1, 0, 1, 0, ""},
        {"-k257", 256000, 0, 0, 1, 0, 1, 0, ""},  // kept as a signed byte
        {"- l", 256000, 0, 0, 0, 0, 0, 0, ""},
        {"data.bin -l", 256000, 0, 0, 0, 0, 0, 0, "data.bin"},
        {"\"my data file.bin\" -x", 256000, 0, 0, 1, 0, 0, 0, "my data file.bin"},
        {"first second", 256000, 0, 0, 1, 0, 0, 0, "second"},
        {"  -b2400   -o1  ", 2400, 1, 0, 1, 0, 0, 0, ""},
        {"\"unterminated name", 256000, 0, 0, 1, 0, 0, 0, "unterminated name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        initVAR();
        readCMD(c.line);
        EXPECT_EQ(BR_value, c.baud);
        EXPECT_EQ(Flag.comma, c.comma);
        EXPECT_EQ(Flag.file_format, c.format);
        EXPECT_EQ(Flag.fast_read, c.fastRead);
        EXPECT_EQ(Flag.modem, c.modem);
        EXPECT_EQ(Flag.comflow, c.comflow);
        EXPECT_EQ(TMO_value, c.tmo);
        EXPECT_STREQ(Data_file, c.file);
    }
}

TEST_F(CommandLineTest, OverlongArgumentsAreBounded) {
    readCMD(("-t" + std::string(40, '9') + " " + std::string(5000, 'n')).c_str());
    EXPECT_EQ(strlen(Data_file), size_t(FILE_NAME_MAX));
    EXPECT_EQ(TMO_value, uint32_t(99999999999999ull)) << "only the first 14 digits are read";
}

// Answers whatever it is sent with the same bytes, so the port always has input waiting.
class EchoDevice : public vx::sim::Device {
    void receive(const uint8_t* data, size_t len, int64_t, vx::sim::Output& out) override {
        out.raw(data, len);
    }
};

using LineSettingsTest = vx::test::ProgramTest;

TEST_F(LineSettingsTest, InitComTakesThePortOverAndRestoreComGivesItBack) {
    const std::pair<int8_t, bool> cases[] = {{1, true}, {0, false}, {2, false}, {-1, false}};
    for (auto [comflow, on] : cases) {
        SCOPED_TRACE(int(comflow));
        vx::sim::FakeSerialPort port(std::make_unique<EchoDevice>());
        port.configure(1200, !on);  // what the port had before
        port.write(reinterpret_cast<const uint8_t*>("old"), 3);
        Flag.comflow = comflow;
        BR_value = 115200;
        EXPECT_EQ(initCOM(&port), 1);
        EXPECT_EQ(port.baud(), 115200u);
        EXPECT_EQ(port.dtrRtsOn(), on) << "DTR and RTS are on only for -k1";
        EXPECT_EQ(port.queued(), 0u) << "input from before is discarded";
        port.write(reinterpret_cast<const uint8_t*>("new"), 3);
        restoreCOM(&port);
        EXPECT_EQ(port.baud(), 1200u);
        EXPECT_EQ(port.dtrRtsOn(), !on);
        EXPECT_EQ(port.queued(), 0u);
    }
}

TEST(Parsers, HexAndDecimalDigits) {
    EXPECT_EQ(str16_to_num("0A1F", 4), 2591);
    EXPECT_EQ(str16_to_num("12", 0), 1);
    EXPECT_EQ(str16_to_num("12", 1), 1);
    EXPECT_EQ(str16_to_num("ffFF", 4), 65535);
    EXPECT_EQ(str16_to_num("1G", 2), 16);  // non-digits count as 0
    EXPECT_EQ(str_to_num("12", 2), 12);
    EXPECT_EQ(str_to_num("1A", 2), 20);
    EXPECT_EQ(chr_to_num('g'), 0);
    EXPECT_EQ(chr_to_num('f'), 15);
    EXPECT_EQ(chr_to_num('9'), 9);
}

// The editing rules the desktop dialogs apply (tests/gui types into them); here the
// rules that only the core sees.
using vx::ui::InputKind;
using InputDialogsTest = vx::test::ProgramTest;

TEST_F(InputDialogsTest, NumbersAreReformattedAndRangesPrintedWithTheirDecimals) {
    const struct {
        InputKind kind;
        const char* typed;
        int result;
        const char* out;
    } cases[] = {
        {InputKind::Num, "7.", 1, "7"},   {InputKind::Num, "1.2345", 1, "1.2345"},
        {InputKind::Num, "", 0, ""},      {InputKind::Num2, "40950", 1, "4095"},  // the fifth digit is cut
        {InputKind::Num2, "4096", 0, ""}, {InputKind::Text, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        InputMin = 0, InputMax = 4095, Ndec = 0, MaxEdit = c.kind == InputKind::Num2 ? 4 : 8;
        EditBuf[0] = 0;
        EXPECT_EQ(vx::ui::typeAndConfirm(c.kind, c.typed), c.result);
        EXPECT_TRUE(!c.result || std::string(EditBuf) == c.out) << EditBuf;
    }
    InputMin = 0, InputMax = 100000000, Ndec = 1;
    EXPECT_EQ(vx::ui::rangeLine(), "Range: 0.0 ... 100000000.0");
    InputMin = -1.5f, InputMax = 2.25f, Ndec = 2;
    EXPECT_EQ(vx::ui::rangeLine(), "Range: -1.50 ... 2.25");

    char buf[32];
    const std::tuple<int, float, const char*> formats[] = {
        {0, 2.4f, "2"},      {0, -2.6f, "-3"}, {1, 2.25f, "2.2"}, {2, 2.5f, "2.50"},
        {4, 1.0f, "1.0000"}, {5, 1.0f, "Err"}, {-1, 1.0f, "Err"},
    };
    for (auto [prec, v, out] : formats) {
        sprintf_format(buf, prec, v);
        EXPECT_STREQ(buf, out) << prec << " " << v;
    }
}

// The wait window's state as the procedures that poll it see it (tests/gui clicks Stop).
using WaitWindowTest = vx::test::ProgramTest;

TEST_F(WaitWindowTest, OneWindowAtATimeAndNoOpsWhenClosed) {
    EXPECT_EQ(Test_wait_msg(), 0);  // nothing open: a procedure stops at its first poll
    Show_wait_msg(nullptr, "first");
    Show_wait_msg(nullptr, "second");
    Print_wait_msg("changed");
    Setbar_wait_msg(5, 0);
    Setbar_wait_msg(3, 4);
    Setbar_wait_msg(4095, 4095);
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(ui.waitShows, 1);
    EXPECT_EQ(ui.waitTexts, (std::vector<std::string>{"first", "changed"}));
    EXPECT_EQ(ui.waitBars, (std::vector<int>{75, 100}));
    Close_wait_msg();
    Close_wait_msg();
    EXPECT_EQ(ui.waitCloses, 1);
    EXPECT_EQ(hDlgWait, nullptr);
    Setbar_wait_msg(1, 2);
    Print_wait_msg("late");
    EXPECT_EQ(Test_wait_msg(), 0);
    EXPECT_EQ(ui.waitBars.size(), 2u);
    EXPECT_EQ(ui.waitTexts.size(), 2u);
}

}  // namespace
