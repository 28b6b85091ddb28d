// The texts of the main window's alarm rows for the alarm register's details.

#include <gtest/gtest.h>

#include "boards/alarms.h"

namespace {

TEST(AlarmText, AuxiliaryCodes) {
    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0, "Auxiliaries alarm"},           {1, "Auxiliaries alarm (INT16)"},
        {2, "Auxiliaries alarm (No rete)"}, {3, "Auxiliaries alarm (3)"},
        {7, "Auxiliaries alarm (7)"},       {8, "Auxiliaries alarm (In 0)"},
        {9, "Auxiliaries alarm (In 1)"},    {71, "Auxiliaries alarm (In 63)"},
        {72, "Auxiliaries alarm (72)"},     {255, "Auxiliaries alarm (255)"},
    };
    for (const auto& c : cases) {
        AlarmDetails = {0, 0, c.code};
        EXPECT_EQ(alarmAuxText(), c.text) << int(c.code);
    }
}

TEST(AlarmText, InverterRow) {
    const struct {
        uint8_t index, rmin;
        const char* text;
    } cases[] = {
        {0, 85, "Single inverter alarm"},
        {2, 85, "Single inverter alarm = 2 (Rmin=85%)"},
        {255, 0, "Single inverter alarm = 255 (Rmin=0%)"},
    };
    for (const auto& c : cases) {
        AlarmDetails = {c.index, c.rmin, 0};
        EXPECT_EQ(alarmInverterText(), c.text);
    }
    AlarmDetails = {};
}

}  // namespace

#include <memory>

#include "boards/alarm_state.h"
#include "link/com.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

class AlarmQuery : public ProgramTest {
  protected:
    void TearDown() override {
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

// The register against the simulated board; a failed query changes nothing.
TEST_F(AlarmQuery, AgainstTheBoard) {
    const struct {
        const char* settings;
        int result;
        uint8_t alarm;
        const char* inverter;
    } cases[] = {
        {"vt71,alarm=30", 1, 0x30, "Single inverter alarm = 2 (Rmin=85%)"},
        {"vt71,alarm=A0", 1, 0xA0, "Single inverter alarm"},
        {"vt71,alarm=30,err-on=ATSA,err=1", 0, 0x5A, "Single inverter alarm"},
        {"vt71,alarm=30,drop-on=ATSA,drop=1", 0, 0x5A, "Single inverter alarm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(c.settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
        Alarm = 0x5A;
        AlarmDetails = {};
        EXPECT_EQ(upd_Alarm(nullptr), c.result);
        EXPECT_EQ(Alarm, c.alarm);
        EXPECT_EQ(alarmInverterText(), c.inverter);
        EXPECT_EQ(alarmAuxText(), "Auxiliaries alarm");
    }
    AlarmDetails = {};
}

}  // namespace
}  // namespace vx::test
