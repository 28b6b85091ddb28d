// The desktop program's command line: switch order, ignored values, file names.

#include <gtest/gtest.h>

#include "link/com.h"
#include "shell/command_line.h"
#include "state/flags.h"
#include "shell/startup_state.h"
#include "support/fixtures.h"

namespace {

using CommandLineTest = vx::test::ProgramTest;

TEST_F(CommandLineTest, Switches) {
    struct Case {
        const char* line;
        uint32_t baud;
        int comma, format, fastRead, modem, comflow;
        uint32_t tmo;
        const char* file;
    };
    const Case cases[] = {
        {"", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b9600", 9600, 0, 0, 1, 0, 0, 0, ""},
        {"-b12345", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-b 19200", 256000, 0, 0, 1, 0, 0, 0, "19200"},
        {"-b128000 -t500", 128000, 0, 0, 1, 0, 0, 500, ""},
        {"-o3", 256000, 1, 1, 1, 0, 0, 0, ""},
        {"-o2", 256000, 0, 1, 1, 0, 0, 0, ""},
        {"-o3 -o0", 256000, 0, 0, 1, 0, 0, 0, ""},
        {"-m", 19200, 0, 0, 1, 1, 0, 0, ""},
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
    std::string longName(5000, 'n');
    readCMD(("-t" + std::string(40, '9') + " " + longName).c_str());
    EXPECT_EQ(strlen(Data_file), size_t(FILE_NAME_MAX));
    // Only the first 14 digits of the time-out are read.
    EXPECT_EQ(TMO_value, uint32_t(std::strtoul(std::string(14, '9').c_str(), nullptr, 10)));
}

TEST_F(CommandLineTest, PortThatCannotBeOpenedWarnsAndKeepsScanning) {
    readCMD("-p/dev/vx-none");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "COM port can not be opened /dev/vx-none !\r\nAn automatic COM scan will be executed");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Warning);
    EXPECT_EQ(Flag.COM_ext, 0);
    EXPECT_EQ(hCom, nullptr);
}

TEST(ProgramNames, Titles) {
    buildProgramNames();
    EXPECT_STREQ(Nome_prog, "Vendrix v.5.0.en");
    EXPECT_STREQ(Nome_prog2, "Snapdrix v.5.0.en");
}

}  // namespace
