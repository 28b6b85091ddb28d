#include "ui/text_encoding.h"

#include <cstdint>

namespace vx::ui {
namespace {

// Code points of bytes 0x80-0x9F; 0 where Windows-1252 leaves the byte undefined (those
// pass through as the C1 control of the same number).
const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t codePoint(uint8_t b) {
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80]) return kHigh[b - 0x80];
    return b;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string cp1252ToUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (char c : s)
        appendUtf8(out, codePoint(uint8_t(c)));
    return out;
}

std::string utf8ToCp1252(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        uint8_t b = uint8_t(s[i]);
        uint32_t cp;
        size_t n;
        if (b < 0x80) {
            cp = b, n = 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < s.size()) {
            cp = ((b & 0x1Fu) << 6) | (uint8_t(s[i + 1]) & 0x3Fu), n = 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < s.size()) {
            cp = ((b & 0x0Fu) << 12) | ((uint8_t(s[i + 1]) & 0x3Fu) << 6) | (uint8_t(s[i + 2]) & 0x3Fu),
            n = 3;
        } else if ((b & 0xF8) == 0xF0 && i + 3 < s.size()) {
            cp = 0x110000, n = 4;  // outside the single-byte set
        } else {
            cp = '?', n = 1;
        }
        i += n;
        if (cp < 0x100 && !(cp >= 0x80 && cp < 0xA0 && kHigh[cp - 0x80])) {
            out += char(cp);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == cp) mapped = char(0x80 + k);
        out += mapped;
    }
    return out;
}

}  // namespace vx::ui
