// The GSM field: the modem's signal-quality text, the board's hex reply around it, and
// one poll against the simulated board with its two error messages.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "boards/gsm_field.h"
#include "link/com.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

using namespace vx::boards;

std::string hex(const std::string& s) {
    std::string out;
    char h[3];
    for (unsigned char c : s) {
        std::snprintf(h, sizeof h, "%02X", c);
        out += h;
    }
    return out;
}

TEST(GsmField, ModemText) {
    const struct {
        std::string text;
        bool shown;
        unsigned rx, ber;
    } cases[] = {
        {"\r\n+CSQ: 7,99\r\n", true, 7, 99},
        {"\r\n+CSQ: 15,0\r\n", true, 15, 0},
        {"\r\n+CSQ: 15,99\r", true, 15, 99},     // cut to 14 bytes, the CR still there
        {"\r\n+CSQ:15,0\r\n\r\n", false, 0, 0},  // no space
        {"\r\nERROR\r\n\0\0\0\0\0", false, 0, 0},
        {"\r\n+CSQ: 7,99\0\0\0", false, 0, 0},  // no CR after the rate
        {"+CSQ: 123,0\r\n", false, 0, 0},       // three digits
        {"+CSQ: ,5\r\n", false, 0, 0},
        {"+CSQ: 7;99\r\n", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(hex(c.text));
        const auto f = parseGsmAnswer(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size());
        ASSERT_EQ(f.has_value(), c.shown);
        if (f) {
            EXPECT_EQ(f->rx, c.rx);
            EXPECT_EQ(f->ber, c.ber);
        }
    }
}

TEST(GsmField, BoardReply) {
    const std::string good = hex("\r\n+CSQ: 7,99\r\n");
    const struct {
        std::string reply;
        GsmPoll state;
    } cases[] = {
        {good, GsmPoll::Shown},
        {hex("\r\n+CSQ:17,99\r\n"), GsmPoll::NotShown},
        {good.substr(0, 26), GsmPoll::NoModem},
        {good + "0D", GsmPoll::NoModem},
        {"ERR", GsmPoll::NoModem},
        {"", GsmPoll::NoModem},
        {good.substr(0, 27) + "Z", GsmPoll::NoModem},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        const auto r = gsmFieldFromReply(reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size());
        EXPECT_EQ(r.state, c.state);
    }
}

class GsmPollTest : public ProgramTest {
  protected:
    void TearDown() override {
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

TEST_F(GsmPollTest, AgainstTheBoard) {
    const struct {
        const char* settings;
        bool nod85;
        GsmPoll state;
        std::string text;  // the reading shown, or the message
    } cases[] = {
        {"vt71,gsm=7/99", false, GsmPoll::Shown, "Rx field: 7\nBit err rate: 99\n"},
        {"vt71,gsm=15/0", false, GsmPoll::Shown, "Rx field: 15\nBit err rate: 0\n"},
        {"vt71,gsm=15/99", false, GsmPoll::Shown, "Rx field: 15\nBit err rate: 99\n"},
        {"vt71,gsm=none", false, GsmPoll::NoModem, "No response from modem GSM !"},
        {"vt71,drop-on=ATSD,drop=1", false, GsmPoll::NoBoard, "No response from VT71a !"},
        {"nod85,drop-on=ATSD,drop=1", true, GsmPoll::NoBoard, "No response from NOD85 !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ui.messages.clear();
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(c.settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
        Flag.NOD85 = c.nod85;
        const GsmReading r = gsmPoll(nullptr);
        EXPECT_EQ(r.state, c.state);
        if (c.state == GsmPoll::Shown) {
            EXPECT_EQ(gsmFieldText(r.field), c.text);
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.text);
            EXPECT_EQ(ui.messages[0].caption, "Data Error");
        }
    }
}

}  // namespace
}  // namespace vx::test
