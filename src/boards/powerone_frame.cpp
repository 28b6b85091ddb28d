#include "boards/powerone_frame.h"

#include <bit>
#include <cstdio>

#include "boards/board_exchange.h"
#include "boards/powerone_crc.h"

namespace vx::boards {

void poweroneRequest(uint8_t address, uint8_t command, uint8_t param, uint8_t frame[POWERONE_REQ]) {
    for (int i = 0; i < POWERONE_REQ; ++i)
        frame[i] = 0;
    frame[0] = address;
    frame[1] = command;
    frame[2] = param;
}

std::string poweroneCommand(const uint8_t frame[POWERONE_REQ]) {
    std::string cmd = "ATDI";
    char pair[3];
    for (int i = 0; i < POWERONE_REQ; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", unsigned(frame[i]));
        cmd += pair;
    }
    return cmd + "\r";
}

bool poweroneDecode(const uint8_t* reply, size_t len, uint8_t answer[POWERONE_ANS]) {
    if (!reply || len != 2 * size_t(POWERONE_ANS)) return false;
    uint8_t bytes[POWERONE_ANS];
    for (int i = 0; i < POWERONE_ANS; ++i) {
        const int h = hexDigit(reply[2 * i]), l = hexDigit(reply[2 * i + 1]);
        if (h < 0 || l < 0) return false;
        bytes[i] = uint8_t(h << 4 | l);
    }
    if (!crc_powerone(bytes, POWERONE_DATA)) return false;
    for (int i = 0; i < POWERONE_ANS; ++i)
        answer[i] = bytes[i];
    return true;
}

float poweroneValue(const uint8_t data[POWERONE_DATA]) {
    const uint32_t bits =
        uint32_t(data[2]) << 24 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 8 | data[5];
    return std::bit_cast<float>(bits);
}

const char* auroraModelText(uint8_t code) {
    switch (code) {
        case 'i':
        case 'o':
            return "Aurora 2kW";
        case 'I':
            return "Aurora 3.6kW";
        case 'O':
            return "Aurora 3.0-3.6kW";
        case '5':
            return "Aurora 5.0kW";
        case '6':
            return "Aurora 6kW";
        case '4':
            return "Aurora 4.2kW new";
        case '3':
            return "Aurora 3.6kW new";
        case '2':
            return "Aurora 3.3kW new";
        case '1':
            return "Aurora 3.0kW new";
        case 'D':
            return "Aurora 12.0kW new";
        case 'X':
            return "Aurora 10.0kW new";
        default:
            return "Unknown";
    }
}

}  // namespace vx::boards
