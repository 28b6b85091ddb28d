#pragma once
// What a VT71 board reaches on its serial lines: Power-One Aurora inverters behind the
// "ATDI" command and a GSM modem on display port 2 behind the signal-quality query.

#include "device.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx::sim {

struct InverterBusConfig {
    // Inverters that answer: addresses first .. first+count-1.
    unsigned first = 1;
    unsigned count = 2;
    std::vector<uint8_t> badCrc;  // addresses that answer with a wrong CRC
    std::vector<uint8_t> silent;  // addresses that never answer
    bool gsm = true;              // a modem on display port 2
    unsigned gsmRx = 15, gsmBer = 0;
};

// Handles the board's inverter frames and the GSM query; false when cmd is neither (the
// board then handles it as usual).
bool answerInverterBus(const InverterBusConfig& cfg, const std::string& cmd, Output& out);

// What a simulated inverter reports, so tests can tell the expected report.
std::string inverterSerial(unsigned address);      // six ASCII digits
uint8_t inverterModel(unsigned address);           // model code of the version answer
float inverterPower(unsigned address, int input);  // input 1 or 2, watts

// CRC-16/X-25 (bit by bit, independent of the program's bytewise form).
uint16_t crcX25(const uint8_t* data, size_t n);

}  // namespace vx::sim
