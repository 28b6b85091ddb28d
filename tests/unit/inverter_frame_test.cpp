// The inverter frames: their CRC (CRC-16/X-25), the request text, the decoding of an
// answer (whose length, digits and CRC must all be right before a byte is believed), the
// measure value and the model names.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "boards/powerone_crc.h"
#include "boards/powerone_frame.h"

using namespace vx::boards;

namespace {

TEST(InverterCrc, KnownValues) {
    const struct {
        std::string data;
        uint16_t crc;
    } cases[] = {
        {"123456789", 0x906E},  // the published check value of CRC-16/X-25
        {"", 0x0000},
        {std::string(1, '\0'), 0xF078},
        {"A", 0xA3F5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        EXPECT_EQ(poweroneCrc16(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size()), c.crc);
    }
}

TEST(InverterCrc, StoresLowByteFirstAndChecksWhatWasThere) {
    uint8_t buf[11];
    std::memcpy(buf, "123456789", 9);
    buf[9] = buf[10] = 0;
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

TEST(InverterFrame, RequestText) {
    uint8_t f[POWERONE_REQ];
    poweroneRequest(7, POWERONE_MEASURE, POWERONE_PIN2, f);
    crc_powerone(f, 8);
    const std::string cmd = poweroneCommand(f);
    ASSERT_EQ(cmd.size(), 4u + 20u + 1u);
    EXPECT_EQ(cmd.substr(0, 20), "ATDI073B090000000000");
    EXPECT_EQ(cmd.back(), '\r');
    // The last two bytes are the frame's own CRC, low byte first.
    const uint16_t crc = poweroneCrc16(f, 8);
    char tail[5];
    std::snprintf(tail, sizeof tail, "%02X%02X", crc & 0xFF, crc >> 8);
    EXPECT_EQ(cmd.substr(20, 4), tail);
}

// The 16 hex digits of an answer with these six data bytes and its CRC (spoilt on demand).
std::string answerText(const uint8_t data[6], uint16_t crcXor = 0, bool lower = false) {
    uint8_t b[8];
    std::memcpy(b, data, 6);
    crc_powerone(b, 6);
    b[6] ^= uint8_t(crcXor), b[7] ^= uint8_t(crcXor >> 8);
    std::string s;
    char h[3];
    for (uint8_t x : b) {
        std::snprintf(h, sizeof h, lower ? "%02x" : "%02X", x);
        s += h;
    }
    return s;
}

TEST(InverterFrame, AnswerIsBelievedOnlyWhenWhole) {
    const uint8_t data[6] = {'1', '3', '0', '0', '0', '7'};
    const std::string good = answerText(data);
    const struct {
        std::string reply;
        bool ok;
    } cases[] = {
        {good, true},
        {answerText(data, 0, true), true},  // hex digits of either case
        {answerText(data, 0x0001), false},  // wrong CRC
        {answerText(data, 0x0100), false},
        {good.substr(0, 14), false},  // too short: the CRC would be stale bytes
        {good + "00", false},         // too long: would run past the frame
        {good.substr(0, 15), false},  // odd count
        {"ERR", false},
        {"", false},
        {good.substr(0, 4) + "G" + good.substr(5), false},  // not hex
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        uint8_t ans[POWERONE_ANS];
        std::memset(ans, 0xAA, sizeof ans);
        EXPECT_EQ(poweroneDecode(reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size(), ans),
                  c.ok);
        if (c.ok)
            EXPECT_EQ(std::memcmp(ans, data, 6), 0);
        else
            EXPECT_EQ(ans[0], 0xAA);  // nothing taken from a reply that is not believed
    }
}

TEST(InverterFrame, MeasureIsBigEndianFloat) {
    const struct {
        uint8_t b[6];
        float value;
    } cases[] = {
        {{0, 6, 0x44, 0x7A, 0x00, 0x00}, 1000.0f},
        {{0, 6, 0x3F, 0x80, 0x00, 0x00}, 1.0f},
        {{0, 6, 0xC2, 0x28, 0x00, 0x00}, -42.0f},
        {{0, 6, 0x00, 0x00, 0x00, 0x00}, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(poweroneValue(c.b), c.value);
}

TEST(InverterFrame, ModelNames) {
    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {'i', "Aurora 2kW"},       {'o', "Aurora 2kW"},        {'I', "Aurora 3.6kW"},
        {'O', "Aurora 3.0-3.6kW"}, {'5', "Aurora 5.0kW"},      {'6', "Aurora 6kW"},
        {'4', "Aurora 4.2kW new"}, {'3', "Aurora 3.6kW new"},  {'2', "Aurora 3.3kW new"},
        {'1', "Aurora 3.0kW new"}, {'D', "Aurora 12.0kW new"}, {'X', "Aurora 10.0kW new"},
        {'d', "Unknown"},          {'x', "Unknown"},           {0, "Unknown"},
        {0xFF, "Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(auroraModelText(c.code), c.text) << int(c.code);
}

}  // namespace
