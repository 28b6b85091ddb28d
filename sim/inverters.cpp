#include "inverters.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace vx::sim {

namespace {

constexpr uint8_t kSerial = 63, kVersion = 58, kMeasure = 59;
constexpr uint8_t kPin1 = 8, kPin2 = 9;
constexpr uint8_t kRunState = 6;         // global state byte: the inverter is running
constexpr uint8_t kNotImplemented = 51;  // transmission state for unknown commands

const char* const kGsmCommand = "ATSD02E041542B4353510D";
constexpr size_t kGsmBytes = 14;

bool contains(const std::vector<uint8_t>& v, unsigned a) {
    return std::find(v.begin(), v.end(), uint8_t(a)) != v.end();
}

std::string hexBytes(const uint8_t* b, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += hex2(b[i]);
    return s;
}

void inverterAnswer(const InverterBusConfig& cfg, const std::string& arg, Output& out) {
    uint8_t req[10];
    if (arg.size() != 20) return out.line("ERR");
    for (int i = 0; i < 10; ++i) {
        uint32_t v;
        if (!parseHex(std::string_view(arg).substr(size_t(2 * i), 2), v)) return out.line("ERR");
        req[i] = uint8_t(v);
    }
    const unsigned a = req[0];
    const uint16_t crc = crcX25(req, 8);
    // Nobody answers a garbled frame, an absent address or a silent inverter; the board
    // then stays quiet too.
    if (req[8] != uint8_t(crc) || req[9] != uint8_t(crc >> 8)) return;
    if (a < cfg.first || a >= cfg.first + cfg.count || contains(cfg.silent, a)) return;

    uint8_t ans[8] = {0, kRunState, 0, 0, 0, 0, 0, 0};
    if (req[1] == kSerial) {
        const std::string sn = inverterSerial(a);
        std::copy(sn.begin(), sn.begin() + 6, ans);
    } else if (req[1] == kVersion) {
        ans[2] = inverterModel(a);
        ans[3] = 'A';  // grid standard, not read by the program
    } else if (req[1] == kMeasure && (req[2] == kPin1 || req[2] == kPin2)) {
        const uint32_t bits = std::bit_cast<uint32_t>(inverterPower(a, req[2] == kPin1 ? 1 : 2));
        for (int i = 0; i < 4; ++i)
            ans[2 + i] = uint8_t(bits >> (24 - 8 * i));
    } else {
        ans[0] = kNotImplemented;
    }
    uint16_t c = crcX25(ans, 6);
    if (contains(cfg.badCrc, a)) c = uint16_t(c ^ 0x0101);
    ans[6] = uint8_t(c);
    ans[7] = uint8_t(c >> 8);
    out.line(hexBytes(ans, 8));
}

void gsmAnswer(const InverterBusConfig& cfg, Output& out) {
    // The board hands back the first 14 bytes the modem sent, NUL-padded; with no modem
    // there is nothing to hand back.
    if (!cfg.gsm) return out.line("ERR");
    char text[32];
    std::snprintf(text, sizeof text, "\r\n+CSQ: %u,%u\r\n", cfg.gsmRx, cfg.gsmBer);
    uint8_t b[kGsmBytes] = {};
    for (size_t i = 0; i < kGsmBytes && text[i]; ++i)
        b[i] = uint8_t(text[i]);
    out.line(hexBytes(b, kGsmBytes));
}

}  // namespace

uint16_t crcX25(const uint8_t* data, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0x8408) : uint16_t(crc >> 1);
    }
    return uint16_t(~crc);
}

std::string inverterSerial(unsigned address) {
    char s[16];
    std::snprintf(s, sizeof s, "%06u", 130000u + address % 1000u);
    return s;
}

uint8_t inverterModel(unsigned address) {
    static const char kModels[] = "I5O6X";
    return uint8_t(kModels[address % 5]);
}

float inverterPower(unsigned address, int input) {
    return input == 1 ? 1000.0f + 37.0f * float(address) + 0.3f : 500.0f + 11.0f * float(address);
}

bool answerInverterBus(const InverterBusConfig& cfg, const std::string& cmd, Output& out) {
    if (cmd.rfind("ATDI", 0) == 0) return inverterAnswer(cfg, cmd.substr(4), out), true;
    if (cmd == kGsmCommand) return gsmAnswer(cfg, out), true;
    return false;
}

}  // namespace vx::sim
