#pragma once
// Firmware records in the line format of firmware files and EEPROM dumps, made by the
// program's own line writer (kept apart: the EEPROM dump's header and the board image's
// header both name their own EE_SIZE).

#include <cstdint>
#include <string>

namespace vx::fuzz {
// `count` lines of 32 data bytes counting up from `fill`, each with its CRC and CR LF.
std::string firmwareRecords(int count, uint8_t fill);
}  // namespace vx::fuzz
