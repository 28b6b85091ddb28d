// What initCOM and restoreCOM do to a port, seen through a recording port.

#include <gtest/gtest.h>

#include "link/com.h"
#include "state/flags.h"
#include "support/fixtures.h"

namespace {

class RecordingPort : public vx::link::SerialPort {
  public:
    std::vector<std::string> calls;
    uint32_t baud = 0;
    bool dtrRts = false;
    vx::link::PortState current{{1, 2, 3}};

    const std::string& name() const override { return name_; }
    vx::link::PortState state() override { return current; }
    void setState(const vx::link::PortState& s) override {
        calls.push_back("setState");
        current = s;
    }
    bool configure(uint32_t b, bool on, vx::link::PortFailure*) override {
        calls.push_back("configure");
        baud = b;
        dtrRts = on;
        current = {{9}};
        return true;
    }
    void discardInput() override { calls.push_back("discard"); }
    size_t write(const uint8_t*, size_t len) override { return len; }
    bool readByte(uint8_t&) override { return false; }
    bool waitReadable(int) override { return false; }

  private:
    std::string name_ = "rec";
};

using LineSettingsTest = vx::test::ProgramTest;

TEST_F(LineSettingsTest, ComflowDecidesDtrAndRts) {
    const std::pair<int8_t, bool> cases[] = {{1, true}, {0, false}, {2, false}, {-1, false}};
    for (auto [comflow, on] : cases) {
        RecordingPort port;
        Flag.comflow = comflow;
        BR_value = 115200;
        initCOM(&port);
        EXPECT_EQ(port.dtrRts, on) << int(comflow);
        EXPECT_EQ(port.baud, 115200u);
        EXPECT_EQ(port.calls, (std::vector<std::string>{"configure", "discard"}));
    }
}

TEST_F(LineSettingsTest, RestoreGivesBackTheSettingsFoundAtInit) {
    RecordingPort port;
    initCOM(&port);
    restoreCOM(&port);
    EXPECT_EQ(port.current.native, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(port.calls.back(), "discard");
}

}  // namespace
