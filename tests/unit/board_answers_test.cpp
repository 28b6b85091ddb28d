// What the board answers and how the program shows it: the alarm register's rows, the
// GSM modem's signal quality, the inverter frames (CRC-16/X-25, request, answer, measure,
// model) and the inverter report under each answer of the Abort/Retry/Ignore box.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "boards/gsm_field.h"
#include "boards/inverter_report.h"
#include "boards/inverter_request.h"
#include "boards/powerone_crc.h"
#include "boards/powerone_frame.h"
#include "boards/vt71_params.h"
#include "link/com.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace vx::test {
namespace {

using namespace vx::boards;
using vx::ui::Answer;

const uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::string hex(const uint8_t* p, size_t n, bool lower = false) {
    std::string out;
    char h[3];
    for (size_t i = 0; i < n; ++i)
        out += (std::snprintf(h, sizeof h, lower ? "%02x" : "%02X", p[i]), h);
    return out;
}
std::string hex(const std::string& s) {
    return hex(bytes(s), s.size());
}

// A board answering through a fake serial port, in virtual time.
class BoardAnswers : public ProgramTest {
  protected:
    void start(const std::string& settings) {
        ui.messages.clear();
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;  // virtual time: costs nothing
    }
    void TearDown() override {
        hCom = nullptr;
        Flag.NOD85 = 0;
        AlarmDetails = {};
        ProgramTest::TearDown();
    }
    std::unique_ptr<vx::sim::FakeSerialPort> port;
};

TEST_F(BoardAnswers, AlarmRowsForTheRegisterDetails) {
    const std::pair<uint8_t, const char*> aux[] = {
        {0, "Auxiliaries alarm"},           {1, "Auxiliaries alarm (INT16)"},
        {2, "Auxiliaries alarm (No rete)"}, {3, "Auxiliaries alarm (3)"},
        {7, "Auxiliaries alarm (7)"},       {8, "Auxiliaries alarm (In 0)"},
        {71, "Auxiliaries alarm (In 63)"},  {72, "Auxiliaries alarm (72)"},
        {255, "Auxiliaries alarm (255)"}};
    for (auto [code, text] : aux) {
        AlarmDetails = {0, 0, code};
        EXPECT_EQ(alarmAuxText(), text) << int(code);
    }
    const std::tuple<uint8_t, uint8_t, const char*> inverter[] = {
        {0, 85, "Single inverter alarm"},
        {2, 85, "Single inverter alarm = 2 (Rmin=85%)"},
        {255, 0, "Single inverter alarm = 255 (Rmin=0%)"}};
    for (auto [index, rmin, text] : inverter) {
        AlarmDetails = {index, rmin, 0};
        EXPECT_EQ(alarmInverterText(), text);
    }
}

// The register against the simulated board; a failed query changes nothing.
TEST_F(BoardAnswers, AlarmQueryTakesTheRegisterOnlyWhenAnswered) {
    const std::tuple<const char*, int, uint8_t, const char*> cases[] = {
        {"vt71,alarm=30", 1, 0x30, "Single inverter alarm = 2 (Rmin=85%)"},
        {"vt71,alarm=A0", 1, 0xA0, "Single inverter alarm"},
        {"vt71,alarm=30,err-on=ATSA,err=1", 0, 0x5A, "Single inverter alarm"},
        {"vt71,alarm=30,drop-on=ATSA,drop=1", 0, 0x5A, "Single inverter alarm"}};
    for (auto [settings, result, alarm, inverter] : cases) {
        SCOPED_TRACE(settings);
        start(settings);
        Alarm = 0x5A;
        AlarmDetails = {};
        EXPECT_EQ(upd_Alarm(nullptr), result);
        EXPECT_EQ(Alarm, alarm);
        EXPECT_EQ(alarmInverterText(), inverter);
        EXPECT_EQ(alarmAuxText(), "Auxiliaries alarm");
    }
}

TEST(GsmField, ModemTextAndBoardReply) {
    // The modem's text, and the rx/ber read from it.
    const std::pair<std::string, const char*> texts[] = {
        {"\r\n+CSQ: 7,99\r\n", "7/99"},
        {"\r\n+CSQ: 15,0\r\n", "15/0"},
        {"\r\n+CSQ: 15,99\r", "15/99"},     // cut to 14 bytes, the CR still there
        {"\r\n+CSQ:15,0\r\n\r\n", "none"},  // no space
        {"\r\nERROR\r\n", "none"},
        {"\r\n+CSQ: 7,99", "none"},   // no CR after the rate
        {"+CSQ: 123,0\r\n", "none"},  // three digits
        {"+CSQ: ,5\r\n", "none"},
        {"+CSQ: 7;99\r\n", "none"},
        {"", "none"}};
    for (const auto& [text, shown] : texts) {
        const auto f = parseGsmAnswer(bytes(text), text.size());
        EXPECT_EQ(f ? std::to_string(f->rx) + "/" + std::to_string(f->ber) : "none", shown) << hex(text);
    }
    // The board hands the 14 bytes back as 28 hex digits.
    const std::string good = hex("\r\n+CSQ: 7,99\r\n");
    const std::pair<std::string, GsmPoll> replies[] = {{good, GsmPoll::Shown},
                                                       {hex("\r\n+CSQ:17,99\r\n"), GsmPoll::NotShown},
                                                       {good.substr(0, 26), GsmPoll::NoModem},
                                                       {good + "0D", GsmPoll::NoModem},
                                                       {"ERR", GsmPoll::NoModem},
                                                       {"", GsmPoll::NoModem},
                                                       {good.substr(0, 27) + "Z", GsmPoll::NoModem}};
    for (const auto& [reply, state] : replies)
        EXPECT_EQ(gsmFieldFromReply(bytes(reply), reply.size()).state, state) << reply;
}

TEST_F(BoardAnswers, GsmPollShowsTheReadingOrTellsWhoIsSilent) {
    // The reading shown, or the message.
    const std::tuple<const char*, GsmPoll, std::string> cases[] = {
        {"vt71,gsm=7/99", GsmPoll::Shown, "Rx field: 7\nBit err rate: 99\n"},
        {"vt71,gsm=15/0", GsmPoll::Shown, "Rx field: 15\nBit err rate: 0\n"},
        {"vt71,gsm=none", GsmPoll::NoModem, "No response from modem GSM !"},
        {"vt71,drop-on=ATSD,drop=1", GsmPoll::NoBoard, "No response from VT71a !"},
        {"nod85,drop-on=ATSD,drop=1", GsmPoll::NoBoard, "No response from NOD85 !"}};
    for (const auto& [settings, state, text] : cases) {
        SCOPED_TRACE(settings);
        start(settings);
        Flag.NOD85 = std::string(settings).starts_with("nod85");
        const GsmReading r = gsmPoll(nullptr);
        EXPECT_EQ(r.state, state);
        ASSERT_EQ(ui.messages.size(), state == GsmPoll::Shown ? 0u : 1u);
        if (state == GsmPoll::Shown) {
            EXPECT_EQ(gsmFieldText(r.field), text);
        } else {
            EXPECT_EQ(ui.messages[0].text, text);
            EXPECT_EQ(ui.messages[0].caption, "Data Error");
        }
    }
}

TEST(InverterCrc, CheckValueStoredLowByteFirstAndChecked) {
    const std::pair<std::string, uint16_t> cases[] = {
        {"123456789", 0x906E},  // the published check value of CRC-16/X-25
        {"", 0x0000},
        {std::string(1, '\0'), 0xF078},
        {"A", 0xA3F5}};
    for (const auto& [data, crc] : cases)
        EXPECT_EQ(poweroneCrc16(bytes(data), data.size()), crc) << data;

    uint8_t buf[11] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    EXPECT_EQ(crc_powerone(buf, 9), 0);  // nothing there yet: appended
    EXPECT_EQ(buf[9], 0x6E);
    EXPECT_EQ(buf[10], 0x90);
    EXPECT_EQ(crc_powerone(buf, 9), 1);  // now it checks
    buf[3] ^= 0x01;
    EXPECT_EQ(crc_powerone(buf, 9), 0);  // one flipped bit is caught
    buf[3] ^= 0x01;
    buf[9] = 0x90, buf[10] = 0x6E;  // the CRC the wrong way round is not accepted
    EXPECT_EQ(crc_powerone(buf, 9), 0);
    EXPECT_EQ(buf[9], 0x6E);
}

TEST(InverterFrame, RequestTextEndsWithItsCrc) {
    uint8_t f[POWERONE_REQ];
    poweroneRequest(7, POWERONE_MEASURE, POWERONE_PIN2, f);
    crc_powerone(f, 8);
    const uint16_t crc = poweroneCrc16(f, 8);
    const uint8_t tail[2] = {uint8_t(crc), uint8_t(crc >> 8)};
    EXPECT_EQ(poweroneCommand(f), "ATDI073B090000000000" + hex(tail, 2) + "\r");
}

TEST(InverterFrame, AnswerIsBelievedOnlyWhenWhole) {
    // The 16 hex digits of an answer with these six data bytes and its CRC, spoilt on demand.
    const uint8_t data[6] = {'1', '3', '0', '0', '0', '7'};
    auto answer = [&](uint16_t crcXor, bool lower = false) {
        uint8_t b[8];
        std::memcpy(b, data, 6);
        crc_powerone(b, 6);
        b[6] ^= uint8_t(crcXor), b[7] ^= uint8_t(crcXor >> 8);
        return hex(b, 8, lower);
    };
    const std::string good = answer(0);
    const std::pair<std::string, bool> cases[] = {
        {good, true},
        {answer(0, true), true},  // hex digits of either case
        {answer(0x0001), false},  // wrong CRC
        {answer(0x0100), false},
        {good.substr(0, 14), false},  // too short: the CRC would be stale bytes
        {good + "00", false},         // too long: would run past the frame
        {good.substr(0, 15), false},  // odd count
        {"ERR", false},
        {"", false},
        {good.substr(0, 4) + "G" + good.substr(5), false}};  // not hex
    for (const auto& [reply, ok] : cases) {
        uint8_t ans[POWERONE_ANS];
        std::memset(ans, 0xAA, sizeof ans);
        EXPECT_EQ(poweroneDecode(bytes(reply), reply.size(), ans), ok) << reply;
        // Nothing is taken from a reply that is not believed.
        EXPECT_EQ(hex(ans, 6), ok ? hex(data, 6) : "AAAAAAAAAAAA") << reply;
    }
}

TEST(InverterFrame, MeasureIsBigEndianFloatAndModelByCode) {
    const uint8_t m1000[6] = {0, 6, 0x44, 0x7A, 0, 0}, mMinus42[6] = {0, 6, 0xC2, 0x28, 0, 0},
                  m0[6] = {0, 6, 0, 0, 0, 0};
    EXPECT_EQ(poweroneValue(m1000), 1000.0f);
    EXPECT_EQ(poweroneValue(mMinus42), -42.0f);
    EXPECT_EQ(poweroneValue(m0), 0.0f);
    const std::pair<uint8_t, const char*> models[] = {{'i', "Aurora 2kW"},
                                                      {'o', "Aurora 2kW"},
                                                      {'O', "Aurora 3.0-3.6kW"},
                                                      {'D', "Aurora 12.0kW new"},
                                                      {'X', "Aurora 10.0kW new"},
                                                      {'d', "Unknown"},
                                                      {0, "Unknown"},
                                                      {0xFF, "Unknown"}};
    for (auto [code, text] : models)
        EXPECT_STREQ(auroraModelText(code), text) << int(code);
}

TEST(InverterRange, NeverPastAddress255) {
    const std::tuple<uint16_t, unsigned, unsigned> cases[] = {{0x0000, 0, 0},   {0x0102, 1, 2},
                                                              {0xFA0A, 250, 6}, {0xFF01, 255, 1},
                                                              {0xFFFF, 255, 1}, {0x00FF, 0, 255}};
    for (auto [comReg2, first, count] : cases) {
        const auto r = inverterRange(comReg2);
        EXPECT_EQ(std::make_pair(r.first, r.count), std::make_pair(first, count)) << comReg2;
    }
}

const std::string kDashes = std::string(37, '-') + "\r\n";
const std::string kHead1 = "Number of inverters: 1\r\nAddress range: 1...1\r\n" + kDashes;
const std::string kHead3 = "Number of inverters: 3\r\nAddress range: 1...3\r\n" + kDashes;
// What the simulated inverters at addresses 1, 2 and 3 report.
const std::string kInv1 = "(001)-SN:130001-Aurora 5.0kW\r\n- Pin1: 1037 W\r\n- Pin2: 511 W\r\n\r\n";
const std::string kInv2 = "(002)-SN:130002-Aurora 3.0-3.6kW\r\n- Pin1: 1074 W\r\n- Pin2: 522 W\r\n\r\n";
const std::string kInv3 = "(003)-SN:130003-Aurora 6kW\r\n- Pin1: 1111 W\r\n- Pin2: 533 W\r\n\r\n";
const std::string kInv2Error = "(002)-SN:Error-Error\r\n- Pin1: Error\r\n- Pin2: Error\r\n\r\n";

// No inverters: nothing asked. A wrong CRC is handled like no answer: one box per request
// (four for an inverter), and Ignore marks only that item; Abort ends the report without a
// total; Retry sends the same request again, and after a lost or garbled answer the next
// one counts.
TEST_F(BoardAnswers, InverterReportUnderEachAnswer) {
    const std::vector<Answer> ignore4(4, Answer::Ignore), abort{Answer::Abort}, retry{Answer::Retry};
    const std::string all = kHead3 + kInv1 + kInv2 + kInv3, second = kHead3 + kInv1 + kInv2Error + kInv3,
                      only2 = "Number of inverters: 1\r\nAddress range: 2...2\r\n" + kDashes + kInv2;
    const std::tuple<const char*, uint16_t, std::vector<Answer>, int, std::string, std::string> cases[] = {
        {"vt71,drop=1", 0x0000, {}, 1, "Number of inverters: 0\r\n" + kDashes, "Pin: 0 W"},
        {"vt71,inverters=3", 0x0103, {}, 1, all, "Pin: 4789 W"},
        {"vt71,inverters=3", 0x0201, {}, 1, only2, "Pin: 1596 W"},
        {"vt71,inverters=3,inv-badcrc=2", 0x0103, ignore4, 1, second, "Pin: 3193 W"},
        {"vt71,inverters=3,inv-silent=2", 0x0103, ignore4, 1, second, "Pin: 3193 W"},
        {"vt71,inverters=3,inv-badcrc=2", 0x0103, abort, 0, kHead3 + kInv1 + "(002)-SN:", ""},
        {"vt71,inverters=1,drop-nth=2,drop-on=ATDI", 0x0101, retry, 1, kHead1 + kInv1, "Pin: 1548 W"},
        {"vt71,inverters=1,truncate-nth=3,truncate-on=ATDI", 0x0101, retry, 1, kHead1 + kInv1, "Pin: 1548 W"},
        {"vt71,inverters=1,err-nth=4,err-on=ATDI", 0x0101, retry, 1, kHead1 + kInv1, "Pin: 1548 W"}};
    for (const auto& [settings, comReg2, answers, result, text, total] : cases) {
        SCOPED_TRACE(settings);
        start(settings);
        for (Answer a : answers)
            ui.answer(a);
        int textBox = 0, totalLabel = 0;
        const InverterReportView view{nullptr, &textBox, &totalLabel};
        ui.texts[view.text] = "old report";
        ui.texts[view.total] = "Pin: 5 W";
        EXPECT_EQ(refresh_dati_inv(view, comReg2), result);
        EXPECT_EQ(ui.texts[view.text], text);
        EXPECT_EQ(ui.texts[view.total], total);
        ASSERT_EQ(ui.messages.size(), answers.size());
        for (const auto& m : ui.messages) {
            EXPECT_EQ(m.text, comReg2 == 0x0103 ? "Inverter reading error 2" : "Inverter reading error 1");
            EXPECT_EQ(m.caption, "Com Error");
            EXPECT_EQ(m.buttons, vx::ui::Buttons::AbortRetryIgnore);
            EXPECT_EQ(m.icon, vx::ui::Icon::Error);
        }
    }
}

// One request alone: the code returned, and the packet holds a checked answer or still the
// request.
TEST_F(BoardAnswers, InverterRequestResults) {
    const std::tuple<const char*, std::vector<Answer>, int> cases[] = {
        {"vt71,inverters=3", {}, 0},
        {"vt71,inverters=3,inv-silent=1", {Answer::Ignore}, 5},
        {"vt71,inverters=3,inv-silent=1", {Answer::Abort}, 3},
        {"vt71,inverters=3,inv-badcrc=1", {Answer::Retry, Answer::Retry, Answer::Ignore}, 5}};
    for (const auto& [settings, answers, result] : cases) {
        SCOPED_TRACE(settings);
        start(settings);
        for (Answer a : answers)
            ui.answer(a);
        uint8_t pkt[POWERONE_REQ];
        poweroneRequest(1, POWERONE_SERIAL, 0, pkt);
        EXPECT_EQ(get_dati_powerone(nullptr, pkt), result);
        EXPECT_EQ(ui.messages.size(), answers.size());
        if (result == 0)
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(pkt), 8), std::string("130001\0\0", 8));
        else
            EXPECT_EQ(std::make_pair(pkt[0], pkt[1]), std::make_pair(uint8_t(1), uint8_t(POWERONE_SERIAL)));
    }
}

// The details as the main window's "Details" gives them: the set-up read from the board's
// image, then the report, over a pseudo-terminal.
using InverterSim = SimLoggerTest;

TEST_F(InverterSim, ReportFromTheBoardsImage) {
    ASSERT_TRUE(connect("vt71,inverters=3,inv-badcrc=2"));
    uint8_t comReg2[2] = {};
    ASSERT_EQ(readInverterSetup(nullptr, comReg2), 1);
    EXPECT_EQ(comReg2[0], 3);
    EXPECT_EQ(comReg2[1], 1);
    for (int i = 0; i < 4; ++i)
        ui.answer(Answer::Ignore);
    int textBox = 0, totalLabel = 0;
    const InverterReportView view{nullptr, &textBox, &totalLabel};
    EXPECT_EQ(refresh_dati_inv(view, uint16_t(comReg2[1] << 8 | comReg2[0])), 1);
    EXPECT_EQ(ui.texts[view.text], kHead3 + kInv1 + kInv2Error + kInv3);
    EXPECT_EQ(ui.texts[view.total], "Pin: 3193 W");
    EXPECT_EQ(ui.messages.size(), 4u);
}

// What the simulated board does with inverter and GSM commands that the program never
// sends, and the settings it refuses.
TEST(InverterBus, SimulatorRefusesMalformedCommandsAndSettings) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"vt71", "ATDI0102\r", "ERR\r"},                  // not 20 digits
        {"vt71", "ATDI013F00000000000000ZZ\r", "ERR\r"},  // not hex
        {"vt71", "ATDI013F0000000000000000\r", ""},       // wrong CRC: nobody answers
        {"qm41", "ATDI013F0000000000000000\r", "ERR\r"},  // loggers have no inverters
        {"qm41", "ATSD02E041542B4353510D\r", "ERR\r"},
        {"vt71,gsm=none", "ATSD02E041542B4353510D\r", "ERR\r"},
        {"vt71,gsm=0/7", "ATSD02E041542B4353510D\r", "0D0A2B4353513A20302C370D0A00\r"}};
    std::string err;
    for (auto [settings, command, reply] : cases) {
        SCOPED_TRACE(std::string(settings) + " " + command);
        vx::sim::Options o;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        vx::sim::FakeSerialPort p(vx::sim::makeDevice(o, err));
        p.write(reinterpret_cast<const uint8_t*>(command), std::strlen(command));
        std::string out;
        for (uint8_t b; p.waitReadable(out.empty() ? 1000 : 0);)
            while (p.readByte(b))
                out += char(b);
        EXPECT_EQ(out, reply);
    }
    for (const char* bad :
         {"vt71,inverters=256", "vt71,inv-badcrc=2/x", "vt71,inv-silent=", "vt71,gsm=7", "vt71,gsm=7/100"}) {
        vx::sim::Options o;
        EXPECT_FALSE(vx::sim::parseSimSettings(bad, o, err)) << bad;
    }
}

}  // namespace
}  // namespace vx::test
