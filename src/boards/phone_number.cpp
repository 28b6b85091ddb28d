#include "boards/phone_number.h"

#include <cstring>

#include "boards/board_image.h"

uint8_t char_zip(char c) {
    if (c >= '0' && c <= '9') return uint8_t(c - '0');
    if (c == '+') return 0x0A;
    return 0x0F;
}

char char_unzip(uint8_t n) {
    if (n <= 9) return char('0' + n);
    if (n == 0x0A) return '+';
    return '\0';
}

void zip_Ntel(const char* str) {
    uint8_t* tel = EE.ram.N_telefono;
    const char* p = str ? str : "";
    for (int i = 0; i < 8; ++i) {
        const char c1 = *p;
        if (c1) ++p;
        tel[i] = uint8_t(char_zip(c1) << 4);
        if (!c1) return;
        const char c2 = *p;
        if (c2) ++p;
        tel[i] |= char_zip(c2);
        if (!c2) return;
    }
}

void unzip_Ntel(char out[17]) {
    for (int i = 0; i < 8; ++i) {
        out[2 * i] = char_unzip(EE.ram.N_telefono[i] >> 4);
        out[2 * i + 1] = char_unzip(EE.ram.N_telefono[i] & 0x0F);
    }
    out[16] = '\0';
}

bool acceptPhoneText(char* text) {
    if (std::strlen(text) > 16) text[16] = '\0';
    for (const char* c = text; *c; ++c)
        if (!(*c >= '0' && *c <= '9') && *c != '+') {
            text[0] = '\0';
            return false;
        }
    return true;
}
