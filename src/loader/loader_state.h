#pragma once
// What the firmware loader keeps between its steps: the firmware file loaded last, the
// EEPROM dump written last, and the packet interval of the streamed (FAST) upload.

#include <cstdint>
#include <string>

extern std::string File_fw;    // empty until a firmware file has been loaded
extern std::string File_ee;    // empty until an EEPROM dump has been written
extern uint16_t T_updfw_fast;  // ms between packets in FAST mode

constexpr uint16_t T_UPDFW_FAST_DEFAULT = 100;
