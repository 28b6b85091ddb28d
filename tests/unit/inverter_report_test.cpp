// The inverter report against the simulated board's inverters: its text for no
// inverters, for sound ones, and for ones that fail (no answer, wrong CRC, a garbled
// answer) under each answer of the Abort/Retry/Ignore box; then the same report over a
// pseudo-terminal with the inverter set-up read from the board's image.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "boards/inverter_report.h"
#include "boards/inverter_request.h"
#include "boards/powerone_frame.h"
#include "boards/vt71_params.h"
#include "link/com.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "support/fixtures.h"
#include "support/sim_logger.h"

namespace vx::test {
namespace {

using vx::ui::Answer;

const std::string kDashes = std::string(37, '-') + "\r\n";
// What the simulated inverters at addresses 1, 2 and 3 report.
const std::string kInv1 = "(001)-SN:130001-Aurora 5.0kW\r\n- Pin1: 1037 W\r\n- Pin2: 511 W\r\n\r\n";
const std::string kInv2 = "(002)-SN:130002-Aurora 3.0-3.6kW\r\n- Pin1: 1074 W\r\n- Pin2: 522 W\r\n\r\n";
const std::string kInv3 = "(003)-SN:130003-Aurora 6kW\r\n- Pin1: 1111 W\r\n- Pin2: 533 W\r\n\r\n";
const std::string kInv2Error = "(002)-SN:Error-Error\r\n- Pin1: Error\r\n- Pin2: Error\r\n\r\n";

class InverterReport : public ProgramTest {
  protected:
    void start(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        auto dev = vx::sim::makeDevice(o, err);
        ASSERT_TRUE(dev) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(std::move(dev));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;  // virtual time: costs nothing
    }
    void TearDown() override {
        hCom = nullptr;
        ProgramTest::TearDown();
    }
    int report(uint16_t comReg2) { return refresh_dati_inv(view, comReg2); }
    const std::string& text() { return ui.texts[view.text]; }
    const std::string& total() { return ui.texts[view.total]; }

    int textBox = 0, totalLabel = 0;
    vx::boards::InverterReportView view{nullptr, &textBox, &totalLabel};
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

TEST_F(InverterReport, NoInvertersAsksNothing) {
    start("vt71,drop=1");  // any question to the board would fail
    ui.texts[view.text] = "old report";
    ui.texts[view.total] = "Pin: 5 W";
    EXPECT_EQ(report(0x0000), 1);
    EXPECT_EQ(text(), "Number of inverters: 0\r\n" + kDashes);
    EXPECT_EQ(total(), "Pin: 0 W");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InverterReport, AnsweringInverters) {
    const struct {
        uint16_t comReg2;
        std::string body, total;
    } cases[] = {
        {0x0103, "Number of inverters: 3\r\nAddress range: 1...3\r\n" + kDashes + kInv1 + kInv2 + kInv3,
         "Pin: 4789 W"},
        {0x0201, "Number of inverters: 1\r\nAddress range: 2...2\r\n" + kDashes + kInv2, "Pin: 1596 W"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comReg2);
        start("vt71,inverters=3");
        EXPECT_EQ(report(c.comReg2), 1);
        EXPECT_EQ(text(), c.body);
        EXPECT_EQ(total(), c.total);
        EXPECT_TRUE(ui.messages.empty());
    }
}

// An inverter that answers with a wrong CRC is handled exactly like one that does not
// answer: one box per request, and Ignore marks only that item.
TEST_F(InverterReport, FailingInverterIgnored) {
    for (const char* settings : {"vt71,inverters=3,inv-badcrc=2", "vt71,inverters=3,inv-silent=2"}) {
        SCOPED_TRACE(settings);
        ui.messages.clear();
        start(settings);
        for (int i = 0; i < 4; ++i)
            ui.answer(Answer::Ignore);
        EXPECT_EQ(report(0x0103), 1);
        EXPECT_EQ(text(), "Number of inverters: 3\r\nAddress range: 1...3\r\n" + kDashes + kInv1 +
                              kInv2Error + kInv3);
        EXPECT_EQ(total(), "Pin: 3193 W");
        ASSERT_EQ(ui.messages.size(), 4u);
        for (const auto& m : ui.messages) {
            EXPECT_EQ(m.text, "Inverter reading error 2");
            EXPECT_EQ(m.caption, "Com Error");
            EXPECT_EQ(m.buttons, vx::ui::Buttons::AbortRetryIgnore);
            EXPECT_EQ(m.icon, vx::ui::Icon::Error);
        }
    }
}

TEST_F(InverterReport, AbortEndsTheReportWithoutTotal) {
    start("vt71,inverters=3,inv-badcrc=2");
    ui.texts[view.total] = "Pin: 5 W";
    ui.answer(Answer::Abort);
    EXPECT_EQ(report(0x0103), 0);
    EXPECT_EQ(text(), "Number of inverters: 3\r\nAddress range: 1...3\r\n" + kDashes + kInv1 + "(002)-SN:");
    EXPECT_EQ(total(), "");
    EXPECT_EQ(ui.messages.size(), 1u);
}

// Retry sends the same request again: after a lost or garbled answer the next one counts.
TEST_F(InverterReport, RetryAfterLostOrGarbledAnswer) {
    for (const char* settings :
         {"vt71,inverters=1,drop-nth=2,drop-on=ATDI", "vt71,inverters=1,truncate-nth=3,truncate-on=ATDI",
          "vt71,inverters=1,err-nth=4,err-on=ATDI"}) {
        SCOPED_TRACE(settings);
        ui.messages.clear();
        start(settings);
        ui.answer(Answer::Retry);
        EXPECT_EQ(report(0x0101), 1);
        EXPECT_EQ(text(), "Number of inverters: 1\r\nAddress range: 1...1\r\n" + kDashes + kInv1);
        EXPECT_EQ(total(), "Pin: 1548 W");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Inverter reading error 1");
    }
}

TEST_F(InverterReport, RequestResults) {
    // get_dati_powerone alone: the code returned and what the packet holds.
    const struct {
        const char* settings;
        std::vector<Answer> answers;
        int result;
    } cases[] = {
        {"vt71,inverters=3", {}, 0},
        {"vt71,inverters=3,inv-silent=1", {Answer::Ignore}, 5},
        {"vt71,inverters=3,inv-silent=1", {Answer::Abort}, 3},
        {"vt71,inverters=3,inv-badcrc=1", {Answer::Retry, Answer::Retry, Answer::Ignore}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ui.messages.clear();
        start(c.settings);
        for (Answer a : c.answers)
            ui.answer(a);
        uint8_t pkt[vx::boards::POWERONE_REQ];
        vx::boards::poweroneRequest(1, vx::boards::POWERONE_SERIAL, 0, pkt);
        EXPECT_EQ(get_dati_powerone(nullptr, pkt), c.result);
        EXPECT_EQ(ui.messages.size(), c.answers.size());
        if (c.result == 0) {
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(pkt)), "130001");
            EXPECT_EQ(pkt[7], 0);
        } else {
            EXPECT_EQ(pkt[0], 1);  // the request is still there, not an unchecked answer
            EXPECT_EQ(pkt[1], vx::boards::POWERONE_SERIAL);
        }
    }
}

TEST(InverterRange, NeverPastAddress255) {
    const struct {
        uint16_t comReg2;
        unsigned first, count;
    } cases[] = {
        {0x0000, 0, 0},   {0x0102, 1, 2},   {0xFA0A, 250, 6},
        {0xFF01, 255, 1}, {0xFFFF, 255, 1}, {0x00FF, 0, 255},
    };
    for (const auto& c : cases) {
        const auto r = vx::boards::inverterRange(c.comReg2);
        EXPECT_EQ(r.first, c.first) << c.comReg2;
        EXPECT_EQ(r.count, c.count) << c.comReg2;
    }
}

class InverterSim : public SimLoggerTest {};

// The details as the main window's "Details" produces them: the set-up from the board's
// image, then the report, over a real pseudo-terminal.
TEST_F(InverterSim, ReportFromTheBoardsImage) {
    ASSERT_TRUE(connect("vt71,inverters=3,inv-badcrc=2"));
    uint8_t comReg2[2] = {};
    ASSERT_EQ(vx::boards::readInverterSetup(nullptr, comReg2), 1);
    EXPECT_EQ(comReg2[0], 3);
    EXPECT_EQ(comReg2[1], 1);
    for (int i = 0; i < 4; ++i)
        ui.answer(Answer::Ignore);
    int textBox = 0, totalLabel = 0;
    const vx::boards::InverterReportView view{nullptr, &textBox, &totalLabel};
    EXPECT_EQ(refresh_dati_inv(view, uint16_t(comReg2[1] << 8 | comReg2[0])), 1);
    EXPECT_EQ(ui.texts[view.text],
              "Number of inverters: 3\r\nAddress range: 1...3\r\n" + kDashes + kInv1 + kInv2Error + kInv3);
    EXPECT_EQ(ui.texts[view.total], "Pin: 3193 W");
    EXPECT_EQ(ui.messages.size(), 4u);
}

}  // namespace
}  // namespace vx::test

namespace vx::test {
namespace {

// What the simulated board does with inverter and GSM commands that the program's report
// never sends, and the settings it refuses.
TEST(InverterBus, MalformedCommandsAndSettings) {
    const struct {
        const char* settings;
        const char* command;
        const char* reply;
    } cases[] = {
        {"vt71", "ATDI0102\r", "ERR\r"},                  // not 20 digits
        {"vt71", "ATDI013F00000000000000ZZ\r", "ERR\r"},  // not hex
        {"vt71", "ATDI013F0000000000000000\r", ""},       // wrong CRC: nobody answers
        {"qm41", "ATDI013F0000000000000000\r", "ERR\r"},  // loggers have no inverters
        {"qm41", "ATSD02E041542B4353510D\r", "ERR\r"},
        {"vt71,gsm=none", "ATSD02E041542B4353510D\r", "ERR\r"},
        {"vt71,gsm=0/7", "ATSD02E041542B4353510D\r", "0D0A2B4353513A20302C370D0A00\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + " " + c.command);
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(c.settings, o, err)) << err;
        vx::sim::FakeSerialPort p(vx::sim::makeDevice(o, err));
        p.write(reinterpret_cast<const uint8_t*>(c.command), std::strlen(c.command));
        std::string out;
        for (uint8_t b; p.waitReadable(out.empty() ? 1000 : 0);)
            while (p.readByte(b))
                out += char(b);
        EXPECT_EQ(out, c.reply);
    }
    for (const char* bad :
         {"vt71,inverters=256", "vt71,inv-badcrc=2/x", "vt71,inv-silent=", "vt71,gsm=7", "vt71,gsm=7/100"}) {
        vx::sim::Options o;
        std::string err;
        EXPECT_FALSE(vx::sim::parseSimSettings(bad, o, err)) << bad;
    }
}

}  // namespace
}  // namespace vx::test
