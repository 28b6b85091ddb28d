#pragma once
// The frames of the Power-One Aurora inverter protocol as they cross the board: a
// 10-byte request (address, command, parameter, five zeros, CRC) and an 8-byte answer
// (six data bytes, CRC), each byte as two hex digits of the "ATDI" text command.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::boards {

constexpr int POWERONE_REQ = 10;  // request bytes, CRC included
constexpr int POWERONE_ANS = 8;   // answer bytes, CRC included
constexpr int POWERONE_DATA = 6;  // answer bytes before the CRC

// Commands (request byte 1).
constexpr uint8_t POWERONE_SERIAL = 63;   // '?': six ASCII characters
constexpr uint8_t POWERONE_VERSION = 58;  // ':': model code in answer byte 2
constexpr uint8_t POWERONE_MEASURE = 59;  // ';': DSP measure, type in request byte 2
// Measure types of POWERONE_MEASURE.
constexpr uint8_t POWERONE_PIN1 = 8;
constexpr uint8_t POWERONE_PIN2 = 9;

// The first 8 request bytes for one inverter; the CRC bytes are left 0.
void poweroneRequest(uint8_t address, uint8_t command, uint8_t param, uint8_t frame[POWERONE_REQ]);

// The "ATDI" command text of a complete 10-byte request, CR included.
std::string poweroneCommand(const uint8_t frame[POWERONE_REQ]);

// Decodes an answer reply: exactly 16 hex digits whose last two bytes are the CRC of the
// first six. True with the 8 bytes in `answer`; false for any other reply, whose length
// or characters are then not trusted for a single byte.
bool poweroneDecode(const uint8_t* reply, size_t len, uint8_t answer[POWERONE_ANS]);

// Answer bytes 2..5 of a measure: an IEEE-754 single, most significant byte first.
float poweroneValue(const uint8_t data[POWERONE_DATA]);

// The Aurora model named by a version answer's model code ("Unknown" for codes not known).
const char* auroraModelText(uint8_t code);

}  // namespace vx::boards
