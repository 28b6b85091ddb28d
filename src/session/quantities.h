#pragma once
// The measured quantities: names, units, and how a raw value becomes the number shown.

#include <cstddef>
#include <cstdint>

constexpr int NUM_QUANTITIES = 32;
constexpr uint8_t GRA_MASK = 0x1F;
constexpr int ADJ_TEXT_MAX = 32;  // room a caller gives adj_value/adj_value2

extern const char* const Lista_Grandezze[NUM_QUANTITIES];  // Windows-1252 text (degree sign 0xB0)
extern const char* const Unita_di_misura[NUM_QUANTITIES];
extern int16_t Default_value[NUM_QUANTITIES];

// Text of raw value x for quantity typegra into strz; returns the number shown.
float adj_value(char* strz, int8_t typegra, int32_t x);
namespace vx::session {
// The same text as adj_value; returns its length and puts the number shown in *shown.
size_t adjValueText(char* strz, int8_t typegra, int32_t x, float* shown = nullptr);
}  // namespace vx::session
// Text of an already scaled value with its quantity's decimals.
void adj_value2(char* strz, int8_t typegra, float x);
