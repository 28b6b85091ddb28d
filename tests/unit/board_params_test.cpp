// The editable parameters: range checks, rounding into the image, the NOD85 address, and
// the values and texts taken back from the image.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "boards/board_image.h"
#include "boards/board_params.h"
#include "state/flags.h"

namespace {

class BoardParams : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBoardImage();
        std::memset(Parcfg, 0, sizeof Parcfg);
        Flag.NOD85 = 0;
        initParcfg();
        // Every byte marked, so a test sees which ones a store changed.
        for (int k = 0; k < EE_SIZE; ++k)
            EE.buf[k] = uint8_t(0xA0 + k);
    }
    void TearDown() override { Flag.NOD85 = 0; }
};

struct StoreCase {
    const char* what;
    int index;
    float val;
    int nod85;
    int ok;
    std::vector<std::pair<int, uint8_t>> changed;  // image bytes that must change, and to what
};

TEST_F(BoardParams, TestValueChecksRangeAndStoresRounded) {
    const StoreCase cases[] = {
        {"address", 1, 17, 0, 1, {{1, 17}, {2, 0}}},
        {"address 0", 1, 0, 0, 0, {}},
        {"address 255", 1, 255, 0, 0, {}},
        {"NOD85 address in Option2 only", 1, 7, 1, 1, {{23, 7}}},
        {"NOD85 address out of range", 1, 0, 1, 0, {}},
        {"TCA tie to even down", 2, 2.5f, 0, 1, {{3, 2}, {4, 0}}},
        {"TCA tie to even up", 2, 3.5f, 0, 1, {{3, 4}, {4, 0}}},
        {"TCA largest", 2, 65535, 0, 1, {{3, 0xFF}, {4, 0xFF}}},
        {"TCA too large", 2, 65536, 0, 0, {}},
        {"NTCA 0", 3, 0, 0, 0, {}},
        {"TCM", 4, 900, 0, 1, {{7, 0x84}, {8, 0x03}}},
        {"Ki 0", 5, 0, 0, 0, {}},
        {"Ki 1000 stored /10", 5, 1000, 0, 1, {{9, 100}, {10, 0}}},
        {"Ki 15 tie to even up", 5, 15, 0, 1, {{9, 2}, {10, 0}}},
        {"Ki 25 tie to even down", 5, 25, 0, 1, {{9, 2}, {10, 0}}},
        {"Ki largest", 5, 99990, 0, 1, {{9, 0x0F}, {10, 0x27}}},
        {"Kco2 0.45", 6, 0.45f, 0, 1, {{11, 45}}},
        {"Kco2 0.9", 6, 0.9f, 0, 1, {{11, 90}}},
        {"Kco2 0.91", 6, 0.91f, 0, 0, {}},
        {"Keur 0.1", 7, 0.1f, 0, 1, {{12, 10}}},
        {"Keur 0.09", 7, 0.09f, 0, 0, {}},
        {"Pnom", 8, 5000000, 0, 1, {{13, 0x40}, {14, 0x4B}, {15, 0x4C}, {16, 0x00}}},
        {"Pnom too small", 8, 999, 0, 0, {}},
        {"inverters, high byte kept", 9, 0, 0, 1, {{19, 0}}},
        {"first inverter, low byte kept", 10, 254, 0, 1, {{20, 254}}},
        {"first inverter 0", 10, 0, 0, 0, {}},
        {"aux node, low byte kept", 11, 250, 0, 1, {{18, 250}}},
        {"not a number", 2, std::nanf(""), 0, 0, {}},
    };
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Flag.NOD85 = c.nod85;
        uint8_t before[EE_SIZE];
        std::memcpy(before, EE.buf, EE_SIZE);
        Parcfg[c.index].val = c.val;
        EXPECT_EQ(testValue(c.index), c.ok);
        EXPECT_EQ(Parcfg[c.index].val_err, c.ok ? 0 : 1);
        uint8_t want[EE_SIZE];
        std::memcpy(want, before, EE_SIZE);
        for (auto [at, v] : c.changed)
            want[at] = v;
        for (int k = 0; k < EE_SIZE; ++k)
            EXPECT_EQ(int(EE.buf[k]), int(want[k])) << "image byte " << k;
    }
}

TEST_F(BoardParams, EmptyEntryAlwaysPassesAndStoresNothing) {
    uint8_t before[EE_SIZE];
    std::memcpy(before, EE.buf, EE_SIZE);
    Parcfg[0].val = -5;
    EXPECT_EQ(testValue(0), 1);
    EXPECT_EQ(std::memcmp(before, EE.buf, EE_SIZE), 0);
}

TEST_F(BoardParams, ValuesAndTextsComeFromTheImage) {
    EE.ram.MYadd = 12;
    EE.ram.Option2 = 0x3407;
    EE.ram.TCA = 60;
    EE.ram.Ki = 0;
    EE.ram.Kco2 = 45;
    EE.ram.Keur = 5;
    EE.ram.Pnom = 19800;
    EE.ram.ComReg2 = 0x0102;
    EE.ram.ComReg = 0xFA13;
    const struct {
        int index, nod85;
        float val;
        const char* text;
    } cases[] = {{1, 0, 12, "12"},      {1, 1, 7, "7"},        {2, 0, 60, "60"},       {5, 0, 0, "0"},
                 {6, 0, 0.45f, "0.45"}, {7, 0, 0.05f, "0.05"}, {8, 0, 19800, "19800"}, {9, 0, 2, "2"},
                 {10, 0, 1, "1"},       {11, 0, 250, "250"}};
    for (const auto& c : cases) {
        Flag.NOD85 = c.nod85;
        valuesFromImage();
        EXPECT_FLOAT_EQ(Parcfg[c.index].val, c.val) << c.index << " nod85 " << c.nod85;
        EXPECT_EQ(parameterText(c.index), c.text) << c.index << " nod85 " << c.nod85;
    }
}

TEST_F(BoardParams, BoardValuesOutOfRangeAreFlaggedAndKept) {
    EE.ram.Ki = 0;
    EE.ram.Kco2 = 45;
    valuesFromImage();
    for (int i = 0; i < PARCFG_N; ++i)
        testValue(i);
    EXPECT_EQ(Parcfg[5].val_err, 1);
    EXPECT_EQ(+EE.ram.Ki, 0);
    EXPECT_EQ(Parcfg[6].val_err, 0);
    EXPECT_EQ(+EE.ram.Kco2, 45);  // 0.45 shown, 45 stored back
}

TEST_F(BoardParams, EditCutsToWidthAndReadsWithoutLocale) {
    const struct {
        int control;
        std::string typed, kept;
        int ok;
        float val;
    } cases[] = {
        {ID_EDT_VT71_KI, "123456", "12345", 1, 12345}, {ID_EDT_VT71_KCO2, "0.455", "0.45", 1, 0.45f},
        {ID_EDT_VT71_KCO2, "0,45", "0,45", 0, 0},  // a comma is not a decimal point
        {ID_EDT_VT71_MYADD, "abc", "abc", 0, 0},       {ID_EDT_VT71_PNOM, " 2000", " 2000", 1, 2000},
        {ID_EDT_VT71_TCA, "+60", "+60", 1, 60},
    };
    for (const auto& c : cases) {
        const int i = parameterIndexOf(c.control);
        ASSERT_NE(i, 0) << c.control;
        std::string text = c.typed;
        EXPECT_EQ(editParameter(i, text), c.ok) << c.typed;
        EXPECT_EQ(text, c.kept);
        EXPECT_FLOAT_EQ(Parcfg[i].val, c.val) << c.typed;
    }
}

TEST_F(BoardParams, TableDescribesEveryControl) {
    const struct {
        int index, control, chars;
        float min, max;
    } cases[] = {{1, ID_EDT_VT71_MYADD, 3, 1, 254},    {2, ID_EDT_VT71_TCA, 5, 1, 65535},
                 {3, ID_EDT_VT71_NTCA, 5, 1, 65535},   {4, ID_EDT_VT71_TCM, 5, 1, 65535},
                 {5, ID_EDT_VT71_KI, 5, 10, 99990},    {6, ID_EDT_VT71_KCO2, 4, 0.1f, 0.9f},
                 {7, ID_EDT_VT71_KEUR, 4, 0.1f, 0.9f}, {8, ID_EDT_VT71_PNOM, 7, 1000, 5000000},
                 {9, ID_EDT_VT71_NINV, 3, 0, 254},     {10, ID_EDT_VT71_ADDI, 3, 1, 254},
                 {11, ID_EDT_VT71_ADDAUX, 3, 0, 254}};
    for (const auto& c : cases) {
        EXPECT_EQ(Parcfg[c.index].id, c.control);
        EXPECT_EQ(Parcfg[c.index].n_dec, c.chars);
        EXPECT_FLOAT_EQ(Parcfg[c.index].val_min, c.min);
        EXPECT_FLOAT_EQ(Parcfg[c.index].val_max, c.max);
        EXPECT_EQ(parameterIndexOf(c.control), c.index);
    }
    EXPECT_EQ(parameterIndexOf(ID_EDT_VT71_NTEL), 0);
}

}  // namespace
