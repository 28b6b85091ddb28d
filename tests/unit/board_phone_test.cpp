// The SMS number packed two characters a byte, and the phone edit's rule.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "boards/board_image.h"
#include "boards/phone_number.h"

namespace {

struct ZipCase {
    const char* number;
    std::vector<uint8_t> before, after;  // the 8 bytes of N_telefono
    std::string unzipped;
};

TEST(BoardPhone, PacksTwoCharactersAByteAndKeepsLaterBytes) {
    const std::vector<uint8_t> old = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    const ZipCase cases[] = {
        {"+39123", old, {0xA3, 0x91, 0x23, 0xF0, 0x55, 0x66, 0x77, 0x88}, "+39123"},
        {"12345", old, {0x12, 0x34, 0x5F, 0x44, 0x55, 0x66, 0x77, 0x88}, "12345"},
        {"", old, {0xF0, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}, ""},
        {"1234567890123456", old, {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56}, "1234567890123456"},
        {"123456789012345", old, {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x5F}, "123456789012345"},
        {"12345678901234567", old, {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56}, "1234567890123456"},
        {"12x4", old, {0x12, 0xF4, 0xF0, 0x44, 0x55, 0x66, 0x77, 0x88}, "12"},  // other characters end it
    };
    for (const ZipCase& c : cases) {
        SCOPED_TRACE(c.number);
        std::memcpy(EE.ram.N_telefono, c.before.data(), 8);
        zip_Ntel(c.number);
        EXPECT_EQ(std::vector<uint8_t>(EE.ram.N_telefono, EE.ram.N_telefono + 8), c.after);
        char out[17];
        std::memset(out, 'x', sizeof out);
        unzip_Ntel(out);
        EXPECT_EQ(out[16], '\0');
        EXPECT_EQ(std::string(out), c.unzipped);
    }
}

TEST(BoardPhone, NibbleCodes) {
    const struct {
        char c;
        uint8_t n;
        char back;
    } cases[] = {{'0', 0, '0'},     {'9', 9, '9'},    {'+', 0xA, '+'},
                 {'\0', 0xF, '\0'}, {'a', 0xF, '\0'}, {'-', 0xF, '\0'}};
    for (const auto& c : cases) {
        EXPECT_EQ(char_zip(c.c), c.n) << int(c.c);
        EXPECT_EQ(char_unzip(c.n), c.back) << int(c.n);
    }
    for (uint8_t n = 0xB; n <= 0xF; ++n)
        EXPECT_EQ(char_unzip(n), '\0') << int(n);
}

TEST(BoardPhone, EditKeepsDigitsAndPlusOnly) {
    const struct {
        const char* typed;
        const char* kept;
        bool ok;
    } cases[] = {{"+39123", "+39123", true},
                 {"12345678901234567", "1234567890123456", true},
                 {"12a45", "", false},
                 {"+39 123", "", false},
                 {"", "", true}};
    for (const auto& c : cases) {
        char text[32];
        std::snprintf(text, sizeof text, "%s", c.typed);
        EXPECT_EQ(acceptPhoneText(text), c.ok) << c.typed;
        EXPECT_STREQ(text, c.kept);
    }
}

}  // namespace
