// The board image: every field at the offset and width the board uses, words
// little-endian, the bit-field helpers and register decodings, the SMS number packed two
// characters a byte, and the parameter file (magic then image).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "boards/board_image.h"
#include "boards/phone_number.h"
#include "boards/vt1_file.h"
#include "support/sim_logger.h"

namespace {

static_assert(sizeof(ee_ram) == 41);
static_assert(sizeof(ee_buf) == 41);

TEST(BoardImage, FieldsAtTheBoardsOffsetsWithWordsLittleEndian) {
#define FIELD(f) #f, offsetof(ee_ram, f), sizeof(ee_ram::f)
    const struct {
        const char* name;
        size_t offset, size, wantOffset, wantSize;
    } fields[] = {{FIELD(Token), 0, 1},    {FIELD(MYadd), 1, 2},        {FIELD(TCA), 3, 2},
                  {FIELD(NTCA), 5, 2},     {FIELD(TCM), 7, 2},          {FIELD(Ki), 9, 2},
                  {FIELD(Kco2), 11, 1},    {FIELD(Keur), 12, 1},        {FIELD(Pnom), 13, 4},
                  {FIELD(ComReg), 17, 2},  {FIELD(ComReg2), 19, 2},     {FIELD(Option), 21, 2},
                  {FIELD(Option2), 23, 2}, {FIELD(Display_gra), 25, 8}, {FIELD(N_telefono), 33, 8}};
#undef FIELD
    size_t next = 0;
    for (const auto& f : fields) {
        EXPECT_EQ(f.offset, f.wantOffset) << f.name;
        EXPECT_EQ(f.size, f.wantSize) << f.name;
        EXPECT_EQ(f.offset, next) << "gap or overlap before " << f.name;
        next = f.offset + f.size;
    }
    EXPECT_EQ(next, 41u);

    ee_buf e{};
    e.ram.MYadd = 0x1234;
    e.ram.Pnom = 0x0A0B0C0D;
    e.ram.Option2 = 0xBEEF;
    const struct {
        int at;
        uint8_t value;
    } bytes[] = {{1, 0x34}, {2, 0x12}, {13, 0x0D}, {14, 0x0C}, {16, 0x0A}, {23, 0xEF}, {24, 0xBE}};
    for (const auto& b : bytes)
        EXPECT_EQ(e.buf[b.at], b.value) << "word byte " << b.at;
}

TEST(BoardImage, BitFieldsKeepTheRestOfTheWord) {
    // Word, mask and value; the field read, and the word with the value set.
    const std::tuple<unsigned, unsigned, unsigned, unsigned, unsigned> cases[] = {
        {0xFFFF, EE_OPT_SOURCE, 3, 7, 0xFFFB},         {0x0000, EE_OPT_ALAINV, 2, 0, 0x0080},
        {0xF3FF, EE_OPT_NODEADD, 3, 0, 0xFFFF},        {0x12C5, EE_COM_BAUD, 1, 3, 0x1245},
        {0xAB0F, EE_COM_AUXADDR, 0x1FF, 0xAB, 0xFF0F},  // a value wider than the field is cut to it
    };
    for (auto [word, mask, value, get, set] : cases) {
        EXPECT_EQ(fieldGet(word, mask), get) << std::hex << word << " " << mask;
        EXPECT_EQ(fieldSet(word, mask, value), set) << std::hex << word << " " << mask;
    }
}

TEST(BoardImage, RegisterDecodings) {
    // The operating state by its low nibble.
    const std::pair<uint8_t, const char*> states[] = {
        {0x00, "ZERO"},  {0x01, "-"},       {0x02, "READY"},  {0x05, "REC"}, {0x06, "PAUSE"},
        {0x07, "ERROR"}, {0x08, "STANDBY"}, {0x09, "UPD_FW"}, {0x0F, "-"},   {0x85, "REC"}};
    for (auto [state, name] : states)
        EXPECT_STREQ(stateName(state), name) << int(state);
    // Digits (high nibble) and decimal point (low nibble) of a display per quantity.
    const std::pair<int, uint8_t> displays[] = {{0, 0x10}, {1, 0x53}, {7, 0x42}, {12, 0x52}, {15, 0x60}};
    for (auto [quantity, digitsAndPoint] : displays)
        EXPECT_EQ(Display_cnt[quantity], digitsAndPoint) << quantity;
    // The alarm register's bits, lowest first.
    for (int bit = 0; bit < 8; ++bit) {
        AlarmReg a;
        a.reg = uint8_t(1u << bit);
        const int set[] = {a.ala_reg.eff, a.ala_reg.sms_eff, a.ala_reg.etag, a.ala_reg.sms_etag,
                           a.ala_reg.inv, a.ala_reg.sms_inv, a.ala_reg.aux,  a.ala_reg.sms_aux};
        for (int f = 0; f < 8; ++f)
            EXPECT_EQ(set[f], f == bit ? 1 : 0) << "field " << f << " with bit " << bit;
    }
}

TEST(BoardPhone, PacksTwoCharactersAByteAndKeepsLaterBytes) {
    // The number, the 8 bytes of N_telefono after it (from 11 22 .. 88), and the number read back.
    const std::tuple<const char*, std::vector<uint8_t>, std::string> cases[] = {
        {"+39123", {0xA3, 0x91, 0x23, 0xF0, 0x55, 0x66, 0x77, 0x88}, "+39123"},
        {"12345", {0x12, 0x34, 0x5F, 0x44, 0x55, 0x66, 0x77, 0x88}, "12345"},
        {"", {0xF0, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}, ""},
        {"1234567890123456", {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56}, "1234567890123456"},
        {"123456789012345", {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x5F}, "123456789012345"},
        {"12345678901234567", {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56}, "1234567890123456"},
        {"12x4", {0x12, 0xF4, 0xF0, 0x44, 0x55, 0x66, 0x77, 0x88}, "12"},  // other characters end it
    };
    for (const auto& [number, after, unzipped] : cases) {
        SCOPED_TRACE(number);
        const uint8_t old[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
        std::memcpy(EE.ram.N_telefono, old, 8);
        zip_Ntel(number);
        EXPECT_EQ(std::vector<uint8_t>(EE.ram.N_telefono, EE.ram.N_telefono + 8), after);
        char out[17];
        std::memset(out, 'x', sizeof out);
        unzip_Ntel(out);
        EXPECT_EQ(out[16], '\0');
        EXPECT_EQ(std::string(out), unzipped);
    }
    const std::tuple<char, uint8_t, char> nibbles[] = {
        {'0', 0, '0'}, {'9', 9, '9'}, {'+', 0xA, '+'}, {'\0', 0xF, '\0'}, {'a', 0xF, '\0'}};
    for (auto [c, n, back] : nibbles) {
        EXPECT_EQ(char_zip(c), n) << int(c);
        EXPECT_EQ(char_unzip(n), back) << int(n);
    }
    for (uint8_t n = 0xB; n <= 0xF; ++n)
        EXPECT_EQ(char_unzip(n), '\0') << int(n);
}

TEST(BoardPhone, EditKeepsDigitsAndPlusOnly) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"+39123", "+39123", true},
        {"12345678901234567", "1234567890123456", true},
        {"12a45", "", false},
        {"+39 123", "", false},
        {"", "", true}};
    for (auto [typed, kept, ok] : cases) {
        char text[32];
        std::snprintf(text, sizeof text, "%s", typed);
        EXPECT_EQ(acceptPhoneText(text), ok) << typed;
        EXPECT_STREQ(text, kept);
    }
}

using BoardFile = vx::test::SimLoggerTest;  // a scratch working directory

std::string fileBytes(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

TEST_F(BoardFile, SavedAsMagicThenImageAndReadBack) {
    for (int k = 0; k < EE_SIZE; ++k)
        EE.buf[k] = uint8_t(3 * k + 1);
    const std::string image(reinterpret_cast<const char*>(EE.buf), EE_SIZE);
    ASSERT_TRUE(vx::boards::writeParameterFile("plant.vt1"));
    EXPECT_EQ(fileBytes("plant.vt1"), std::string("VT71A_10\0", 9) + image);
    std::memset(EE.buf, 0, EE_SIZE);
    EXPECT_EQ(vx::boards::readParameterFile("plant.vt1"), VT1_LOADED);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(EE.buf), EE_SIZE), image);
}

TEST_F(BoardFile, OnlyMagicAndWholeImageAreTaken) {
    std::string valid(VT1_MAGIC, 9);
    for (int k = 0; k < EE_SIZE; ++k)
        valid += char(200 - k);
    std::string noNul = valid, otherCase = valid;
    noNul[8] = ' ';  // the NUL is part of the magic
    otherCase[0] = 'v';
    // The file's bytes (none: no file) and the outcome.
    const std::tuple<const char*, std::optional<std::string>, int8_t> cases[] = {
        {"valid", valid, VT1_LOADED},
        {"51 bytes", valid + '\0', VT1_NOT_VALID},
        {"49 bytes", valid.substr(0, 49), VT1_NOT_VALID},
        {"magic only", valid.substr(0, 9), VT1_NOT_VALID},
        {"empty", "", VT1_NOT_VALID},
        {"magic without its NUL", noNul, VT1_NOT_VALID},
        {"magic in other case", otherCase, VT1_NOT_VALID},
        {"missing", std::nullopt, VT1_CANNOT_OPEN}};
    for (const auto& [what, bytes, outcome] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove("case.vt1");
        if (bytes) std::ofstream("case.vt1", std::ios::binary) << *bytes;
        for (int k = 0; k < EE_SIZE; ++k)
            EE.buf[k] = uint8_t(k);
        const std::string before(reinterpret_cast<const char*>(EE.buf), EE_SIZE);
        EXPECT_EQ(vx::boards::readParameterFile("case.vt1"), outcome);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(EE.buf), EE_SIZE),
                  outcome == VT1_LOADED ? bytes->substr(9) : before);
    }
}

TEST_F(BoardFile, DialogsCancelledOrFailing) {
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(save_VT71a_dati(nullptr), 0);
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(read_VT71a_dati(nullptr), VT1_CANCELLED);
    ui.chooseFile("no/such/dir/x.vt1");  // nothing written, and said so
    EXPECT_EQ(save_VT71a_dati(nullptr), 0);
    ui.chooseFile("board.vt1");
    EXPECT_EQ(save_VT71a_dati(nullptr), 1);
    ui.chooseFile("board.vt1");
    EXPECT_EQ(read_VT71a_dati(nullptr), VT1_LOADED);
}

}  // namespace
