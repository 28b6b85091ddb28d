#pragma once
// The energy-monitoring board's alarm register and the colours of its lamps.

#include <cstdint>

// Bits, in pairs per alarm: state, then "SMS active".
constexpr uint8_t ALA_EFF = 0x01, ALA_SMS_EFF = 0x02, ALA_ETAG = 0x04, ALA_SMS_ETAG = 0x08;
constexpr uint8_t ALA_INV = 0x10, ALA_SMS_INV = 0x20, ALA_AUX = 0x40, ALA_SMS_AUX = 0x80;

extern uint8_t Alarm;

// Lamp colours as 0x00BBGGRR: [0] green (no alarm), [1] red (alarm).
extern uint32_t ala_hbrBackground[2];

void resetAlarmState();
