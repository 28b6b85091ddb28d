#pragma once
// The SMS phone number of the board image: up to 16 characters, two to a byte (high
// nibble first), digits as themselves, '+' as 0xA, and 0xF where the number ends.

#include <cstdint>

uint8_t char_zip(char c);
char char_unzip(uint8_t n);

// Packs str into EE.ram.N_telefono. The bytes after the one holding the end are kept;
// more than 16 characters are cut.
void zip_Ntel(const char* str);
// The number of EE.ram.N_telefono as text: 16 characters and a NUL, the text ending at
// the first nibble that is no digit or '+'.
void unzip_Ntel(char out[17]);

// The phone edit's rule: at most 16 characters, and a text with anything but digits and
// '+' is cleared. False when it was cleared.
bool acceptPhoneText(char* text);
