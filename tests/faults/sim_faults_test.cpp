// The simulator's command faults (a lost command, a reset) and the garbled reply, on the
// in-process fake port.

#include <gtest/gtest.h>

#include "sim/fake_serial_port.h"
#include "sim/faults.h"
#include "sim/logger_device.h"
#include "sim/options.h"

namespace vx::sim {
namespace {

std::unique_ptr<FakeSerialPort> open(const std::string& settings) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    auto dev = makeDevice(o, err);
    EXPECT_TRUE(dev) << settings << ": " << err;
    return std::make_unique<FakeSerialPort>(std::move(dev));
}

std::string ask(FakeSerialPort& p, const std::string& cmd) {
    p.discardInput();
    p.write(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size());
    std::string out;
    for (uint8_t b; p.waitReadable(out.empty() ? 100 : 0);)
        while (p.readByte(b))
            out += char(b);
    return out;
}

const std::string kPacket(48, 'P');

// Each step: a command and its reply; "~N" moves the clock on N ms.
struct Script {
    const char* settings;
    std::vector<std::pair<std::string, std::string>> steps;
    bool monitoringAfter = false;
    uint32_t packetsAfter = 0;
};

// clang-format off
const Script kScripts[] = {
    // A lost command is not acted on: the idle state stays until it is sent again.
    {"qm41,lose-nth=1,lose-on=ATCM06",
     {{"ATCM06\r", ""}, {"ATOS\r", "00\r"}, {"ATCM06\r", "OK\r"}, {"ATOS\r", "01\r"}}},
    // A reset leaves monitor mode and the operating state, and the device is deaf for a while.
    {"qm41,reset-nth=1,reset-on=ATSR,reset-ms=300,mon-rate=0",
     {{"ATCM06\r", "OK\r"}, {"ATCM07\r", "OK\r"}, {"ATSR\r", ""}, {"ATVR\r", ""}, {"~400", ""},
      {"ATVR\r", "0020\r"}, {"ATOS\r", "00\r"}}},
    // A reset in flash upload mode ends the mode: the next command is a command again.
    {"qm41,reset-nth=2,reset-on=ATCM14 packet,mon-rate=0",
     {{"ATCM14\r", "OK\r"}, {kPacket, "OK\r"}, {kPacket, ""}, {"~2000", ""}, {"ATVR\r", "0020\r"}}, false, 1},
    // A lost packet is as if it never came.
    {"qm41,lose-nth=2,lose-on=ATCM14 packet",
     {{"ATCM14\r", "OK\r"}, {kPacket, "OK\r"}, {kPacket, ""}, {kPacket, "OK\r"}, {"ATCM15\r", "OK\r"}}, false, 2},
    // Without the fault the monitor goes on.
    {"qm41,reset-nth=1,reset-on=ATSR,mon-rate=0", {{"ATCM07\r", "OK\r"}}, true},
};
// clang-format on

TEST(SimCommandFaults, LostCommandsAndResets) {
    for (const Script& s : kScripts) {
        SCOPED_TRACE(s.settings);
        auto port = open(s.settings);
        for (const auto& [cmd, reply] : s.steps) {
            if (cmd[0] == '~')
                port->advanceMs(std::stoi(cmd.substr(1)));
            else
                EXPECT_EQ(ask(*port, cmd), reply) << cmd.substr(0, 12);
        }
        LoggerDevice* lg = findLogger(port->device());
        EXPECT_EQ(lg->monitoring(), s.monitoringAfter);
        EXPECT_EQ(lg->flashService().packetsWritten(), s.packetsAfter);
    }
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

TEST(SimGarble, OneCharacterOutOfShape) {
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        auto port = open("qm41,garble=1,garble-on=ATVR,fault-seed=" + std::to_string(seed));
        const std::string v = ask(*port, "ATVR\r");
        ASSERT_EQ(v.size(), 5u);
        EXPECT_EQ(v.back(), '\r');
        int nonHex = 0;
        for (size_t i = 0; i < 4; ++i)
            nonHex += !isHex(v[i]);
        EXPECT_EQ(nonHex, 1) << v;
        const std::string ok = ask(*port, "ATCM06\r");  // not filtered: unchanged
        EXPECT_EQ(ok, "OK\r");
    }
    auto port = open("qm41,garble=1,garble-on=ATCM06");
    const std::string ok = ask(*port, "ATCM06\r");
    EXPECT_TRUE(ok == "XK\r" || ok == "OX\r") << ok;
    // A binary piece has no shape to break.
    auto clean = open("qm41"), spoilt = open("qm41,garble=1");
    EXPECT_EQ(ask(*spoilt, "ATRD\r"), ask(*clean, "ATRD\r"));
}

TEST(SimCommandFaults, SameSeedSameRun) {
    auto run = [](const std::string& settings) {
        auto port = open(settings);
        std::string all;
        for (int i = 0; i < 200; ++i)
            all += ask(*port, i % 2 ? "ATVR\r" : "ATOS\r") + "|";
        return all;
    };
    const std::string s = "qm41,lose=0.1,reset=0.02,reset-ms=50,garble=0.1,fault-seed=";
    EXPECT_EQ(run(s + "3"), run(s + "3"));
    EXPECT_NE(run(s + "3"), run(s + "4"));
}

}  // namespace
}  // namespace vx::sim
