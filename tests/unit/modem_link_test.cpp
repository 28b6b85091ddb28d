// Dialling through the modem (result codes, the dial's own reply, the hang-up, the device
// behind the modem) on the in-process simulated modem, and the phone book files.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "shell/phone_book.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "ui/input_dialogs.h"

namespace vx::test {
namespace {

using vx::link::DialEvent;
namespace fs = std::filesystem;

TEST(ModemResult, LinesReadAsResultCodes) {
    struct Case {
        std::string line;
        DialEvent event;
        int code, state;
        const char* text;
        uint32_t colour;
    };
    const Case cases[] = {
        {"3", DialEvent::Idle, 3, 0, "No carrier", 0x000000FF},
        {"12", DialEvent::Connected, 12, 2, "Connect 9600", 0x0000FF00},
        {"24", DialEvent::Connected, 20, 2, "Not defined status", vx::link::kDialogBackground},
        {"", DialEvent::Connected, 1, 2, "Connect", 0x0000FF00},
        {"CONNECT 9600", DialEvent::None, 20, 1, "Not defined status", vx::link::kDialogBackground},
        {"OK", DialEvent::None, 20, 1, "Not defined status", vx::link::kDialogBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Modem_fback = MODEM_NO_CODE;
        Stato_OPM = 1;
        EXPECT_EQ(
            vx::link::modemLine(reinterpret_cast<const uint8_t*>(c.line.data()), int32_t(c.line.size())),
            c.event);
        EXPECT_EQ(Modem_fback, c.code);
        EXPECT_EQ(Stato_OPM, c.state);
        EXPECT_STREQ(vx::link::modemResultText(Modem_fback), c.text);
        EXPECT_EQ(vx::link::modemResultColour(Modem_fback), c.colour);
    }
}

class ModemDial : public ProgramTest {
  protected:
    vx::sim::FakeSerialPort* open(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        EXPECT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        auto dev = vx::sim::makeDevice(o, err);
        EXPECT_TRUE(dev) << err;
        port_ = std::make_unique<vx::sim::FakeSerialPort>(std::move(dev));
        hCom = port_.get();
        Flag.modem = 1;
        Timeout_rx = TO_RX_SLOW;
        return port_.get();
    }
    void TearDown() override {
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    std::unique_ptr<vx::sim::FakeSerialPort> port_;
};

TEST_F(ModemDial, DialReachesTheDeviceBehindTheModemAndHangsUp) {
    struct Case {
        const char* settings;
        int32_t connected;
        int code;
        bool ath;  // the call abandoned with ATH
    };
    const Case cases[] = {
        {"modem,dial-delay=500,dial-result=12", 1, 12, false},
        {"modem,dial-delay=5000,dial-result=16", 1, 16, false},  // comes to the polls
        {"modem,dial-result=7", 0, 7, false},
        {"modem,dial-result=8", 0, 8, false},
        {"modem,dial-delay=600000", 0, MODEM_NO_CODE, true},  // no result in time
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        auto* port = open(c.settings);
        EXPECT_EQ(vx::link::dialRemote(hCom, "0123456", 20000), c.connected);
        EXPECT_EQ(Modem_fback, c.code);
        EXPECT_EQ(port->writtenText().find("ATH\r") != std::string::npos, c.ath);
        if (!c.connected) {
            EXPECT_EQ(Stato_OPM, 0);
            continue;
        }
        EXPECT_EQ(Stato_OPM, 2);
        ASSERT_EQ(vx::link::identifyRemote(hCom), 1);
        EXPECT_EQ(Flag.modem, 1);
        EXPECT_EQ(Datalogger.hw, '0');
        EXPECT_EQ(vx::link::hangUp(hCom), 1);
        EXPECT_EQ(Stato_OPM, 0);
        EXPECT_NE(port->writtenText().find("+++ATH\r"), std::string::npos);
    }
}

class PhoneBook : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxtelXXXXXX";
        dir_ = mkdtemp(tmpl);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ProgramTest::TearDown();
    }
    fs::path dir_;
};

TEST_F(PhoneBook, FilesAreReadAsWrittenAndBadOnesRefused) {
    struct Case {
        std::string bytes;
        int32_t result;
        const char* number;
    };
    const Case cases[] = {
        {"Ntel=0123456789\r\n", 1, "0123456789"},
        {"NTEL=0123456789\r\n", 0, ""},
        {"Ntel=1234567890123456\r\n", 0, ""},  // 16 digits
        {"Ntel", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::ofstream((dir_ / "a.tel").string(), std::ios::binary) << c.bytes;
        EditBuf[0] = 0;
        ui.chooseFile((dir_ / "a.tel").string());
        EXPECT_EQ(loadFileRub(), c.result);
        EXPECT_STREQ(EditBuf, c.number);
    }
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(loadFileRub(), 0);

    // Fifteen digits written by the program come back; a file that cannot be written is
    // no success.
    std::snprintf(reinterpret_cast<char*>(Ntel), sizeof Ntel, "%s", "123456789012345");
    ui.chooseFile((dir_ / "b.tel").string());
    EXPECT_EQ(saveFileRub(), 1);
    ui.chooseFile((dir_ / "b.tel").string());
    EXPECT_EQ(loadFileRub(), 1);
    EXPECT_STREQ(EditBuf, "123456789012345");
    ui.chooseFile((dir_ / "none" / "c.tel").string());
    EXPECT_EQ(saveFileRub(), 0);
}

}  // namespace
}  // namespace vx::test
