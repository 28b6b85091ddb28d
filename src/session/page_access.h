#pragma once
// Setting the logger's read pointer and reading the page at it, in the plain form (one
// "ATRD\r" per 48-byte piece) or the fast form (the logger streams the other ten pieces).

#include <cstdint>

int32_t setPageAdd(uint16_t page);
// Reads 528 bytes into buf (at least 528 bytes); 0 when a piece did not come within 1 s.
int32_t getPageFlash(uint8_t* buf);

namespace vx::session {

// Decides the form for the connected device: the plain form for a QM41 with firmware
// byte at most 0x18, any QM42 and a VT71 with firmware byte at most 0x16, when reached
// directly; otherwise Flag.fast_read keeps its value.
void choosePageReadingMode();

}  // namespace vx::session
