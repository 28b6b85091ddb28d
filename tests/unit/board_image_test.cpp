// The board image's layout: every field at the offset and width the board uses, words
// little-endian, and the bit-field helpers.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "boards/board_image.h"

namespace {

static_assert(sizeof(ee_ram) == 41);
static_assert(sizeof(ee_buf) == 41);

TEST(BoardImage, FieldsSitWhereTheBoardKeepsThem) {
    struct Field {
        const char* name;
        size_t offset, size;
    };
    const Field fields[] = {
        {"Token", offsetof(ee_ram, Token), sizeof(ee_ram::Token)},
        {"MYadd", offsetof(ee_ram, MYadd), sizeof(ee_ram::MYadd)},
        {"TCA", offsetof(ee_ram, TCA), sizeof(ee_ram::TCA)},
        {"NTCA", offsetof(ee_ram, NTCA), sizeof(ee_ram::NTCA)},
        {"TCM", offsetof(ee_ram, TCM), sizeof(ee_ram::TCM)},
        {"Ki", offsetof(ee_ram, Ki), sizeof(ee_ram::Ki)},
        {"Kco2", offsetof(ee_ram, Kco2), sizeof(ee_ram::Kco2)},
        {"Keur", offsetof(ee_ram, Keur), sizeof(ee_ram::Keur)},
        {"Pnom", offsetof(ee_ram, Pnom), sizeof(ee_ram::Pnom)},
        {"ComReg", offsetof(ee_ram, ComReg), sizeof(ee_ram::ComReg)},
        {"ComReg2", offsetof(ee_ram, ComReg2), sizeof(ee_ram::ComReg2)},
        {"Option", offsetof(ee_ram, Option), sizeof(ee_ram::Option)},
        {"Option2", offsetof(ee_ram, Option2), sizeof(ee_ram::Option2)},
        {"Display_gra", offsetof(ee_ram, Display_gra), sizeof(ee_ram::Display_gra)},
        {"N_telefono", offsetof(ee_ram, N_telefono), sizeof(ee_ram::N_telefono)},
    };
    const size_t expected[][2] = {{0, 1},  {1, 2},  {3, 2},  {5, 2},  {7, 2},  {9, 2},  {11, 1}, {12, 1},
                                  {13, 4}, {17, 2}, {19, 2}, {21, 2}, {23, 2}, {25, 8}, {33, 8}};
    size_t next = 0;
    for (size_t i = 0; i < std::size(fields); ++i) {
        SCOPED_TRACE(fields[i].name);
        EXPECT_EQ(fields[i].offset, expected[i][0]);
        EXPECT_EQ(fields[i].size, expected[i][1]);
        EXPECT_EQ(fields[i].offset, next) << "gap or overlap before the field";
        next = fields[i].offset + fields[i].size;
    }
    EXPECT_EQ(next, 41u);
}

TEST(BoardImage, WordsAreLittleEndianInTheBytes) {
    ee_buf e;
    std::memset(e.buf, 0, sizeof e.buf);
    e.ram.MYadd = 0x1234;
    e.ram.Pnom = 0x0A0B0C0D;
    e.ram.Option2 = 0xBEEF;
    const struct {
        int at;
        uint8_t value;
    } bytes[] = {{1, 0x34},  {2, 0x12},  {13, 0x0D}, {14, 0x0C},
                 {15, 0x0B}, {16, 0x0A}, {23, 0xEF}, {24, 0xBE}};
    for (const auto& b : bytes)
        EXPECT_EQ(e.buf[b.at], b.value) << "byte " << b.at;
}

TEST(BoardImage, BitFieldsKeepTheRestOfTheWord) {
    const struct {
        unsigned word, mask, value;
        unsigned get, set;
    } cases[] = {
        {0xFFFF, EE_OPT_SOURCE, 3, 7, 0xFFFB},         {0x0000, EE_OPT_ALAINV, 2, 0, 0x0080},
        {0xF3FF, EE_OPT_NODEADD, 3, 0, 0xFFFF},        {0x12C5, EE_COM_BAUD, 1, 3, 0x1245},
        {0xAB0F, EE_COM_AUXADDR, 0x1FF, 0xAB, 0xFF0F},  // a value wider than the field is cut to it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldGet(c.word, c.mask), c.get) << std::hex << c.word << " " << c.mask;
        EXPECT_EQ(fieldSet(c.word, c.mask, c.value), c.set) << std::hex << c.word << " " << c.mask;
    }
}

TEST(BoardImage, OperatingStateNamesByLowNibble) {
    const struct {
        uint8_t state;
        const char* name;
    } cases[] = {{0x00, "ZERO"},  {0x01, "-"},       {0x02, "READY"},  {0x05, "REC"}, {0x06, "PAUSE"},
                 {0x07, "ERROR"}, {0x08, "STANDBY"}, {0x09, "UPD_FW"}, {0x0F, "-"},   {0x85, "REC"}};
    for (const auto& c : cases)
        EXPECT_STREQ(stateName(c.state), c.name) << int(c.state);
}

TEST(BoardImage, DisplaySetUpPerQuantity) {
    const struct {
        int quantity, digits, point;
    } cases[] = {{0, 1, 0}, {1, 5, 3}, {2, 6, 0}, {7, 4, 2}, {9, 3, 0}, {12, 5, 2}, {15, 6, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Display_cnt[c.quantity] >> 4, c.digits) << c.quantity;
        EXPECT_EQ(Display_cnt[c.quantity] & 0x0F, c.point) << c.quantity;
    }
}

TEST(BoardImage, AlarmRegisterBitsInOrder) {
    const char* names[] = {"eff", "sms_eff", "etag", "sms_etag", "inv", "sms_inv", "aux", "sms_aux"};
    for (int bit = 0; bit < 8; ++bit) {
        AlarmReg a;
        a.reg = uint8_t(1u << bit);
        const int set[] = {a.ala_reg.eff, a.ala_reg.sms_eff, a.ala_reg.etag, a.ala_reg.sms_etag,
                           a.ala_reg.inv, a.ala_reg.sms_inv, a.ala_reg.aux,  a.ala_reg.sms_aux};
        for (int f = 0; f < 8; ++f)
            EXPECT_EQ(set[f], f == bit ? 1 : 0) << names[f] << " with bit " << bit;
    }
}

}  // namespace
