#pragma once
// The checksum of the Power-One Aurora inverter frames (CRC-16/X-25), also the record
// checksum of the firmware and EEPROM files.

#include <cstddef>
#include <cstdint>

namespace vx::boards {
// CRC-16/X-25 of n bytes: 0x906E for the text "123456789".
uint16_t poweroneCrc16(const uint8_t* buf, size_t n);
}  // namespace vx::boards

// Computes the CRC of buf[0 .. nbyte-1] and stores it behind them, low byte first.
// Returns 1 when buf[nbyte], buf[nbyte+1] held that CRC already, 0 otherwise, so the same
// call appends a CRC to a frame and checks a received one. buf needs nbyte + 2 bytes.
int crc_powerone(uint8_t* buf, int nbyte);
