// The display board rules without a board: parameter checks, the family rule, the
// window's form and layout, the choice updates and the clock tuning.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "boards/display_board.h"
#include "boards/display_rules.h"

namespace {

class DisplayRules : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(VT71h, 0, sizeof VT71h);
        std::memset(Option3, 0, sizeof Option3);
        std::memset(Parcfgh, 0, sizeof Parcfgh);
        initParcfgh();
    }
    int edit(int index, std::string text, int display) { return editParameterh(index, text, display); }
};

TEST_F(DisplayRules, DecimalPointSetsItsCodeInOption2) {
    const std::pair<int, uint8_t> cases[] = {{0, 0}, {1, 0}, {2, 1},
                                             {3, 2}, {4, 3}, {6, 3}};  // point, bits 4-5
    for (auto [point, code] : cases) {
        VT71h[2].Option2 = 0xCF;  // colour and quantity bits must survive, point bits replaced
        ASSERT_EQ(edit(1, std::to_string(point), 2), 1) << point;
        EXPECT_EQ(VT71h[2].Dpoint, point);
        EXPECT_EQ(VT71h[2].Option2, uint8_t(0xCF | code << 4)) << point;
    }
    // 3 then 1: the code set by 3 is cleared again.
    edit(1, "3", 4);
    EXPECT_EQ(VT71h[4].Option2 & DOPT2_POINT, 0x20);
    edit(1, "1", 4);
    EXPECT_EQ(VT71h[4].Option2 & DOPT2_POINT, 0);
    // A refused position leaves the record alone.
    EXPECT_EQ(edit(1, "7", 4), 0);
    EXPECT_EQ(Parcfgh[1].val_err, 1);
    EXPECT_EQ(VT71h[4].Dpoint, 1);
}

TEST_F(DisplayRules, EditsAreCheckedAgainstTheirRanges) {
    // Accepted, and what is stored: Ndigit, Dpoint, Dlux of record 3, or the scan time in Option3[1].
    const std::tuple<int, const char*, int, uint8_t> cases[] = {
        {0, "0", 0, 0},   {0, "1", 1, 1},      {0, "6", 1, 6},    {0, "7", 0, 0},      {2, "255", 1, 255},
        {2, "256", 0, 0}, {2, "2555", 1, 255}, {3, "2.5", 1, 25}, {3, "25.5", 1, 255}, {3, "25.6", 0, 0},
        {3, "0", 1, 0},   {3, "0.3", 1, 3},    {3, "-0.1", 0, 0}, {3, "12.34", 1, 123}};
    for (auto [index, typed, ok, stored] : cases) {
        SetUp();
        EXPECT_EQ(edit(index, typed, 3), ok) << index << " " << typed;
        EXPECT_EQ(Parcfgh[index].val_err, ok ? 0 : 1) << typed;
        const uint8_t got[] = {VT71h[3].Ndigit, VT71h[3].Dpoint, VT71h[3].Dlux, Option3[1]};
        EXPECT_EQ(got[index], stored) << index << " " << typed;
    }
    // The scan time goes to the extended bytes whatever the display.
    ASSERT_EQ(edit(3, "1.5", 6), 1);
    EXPECT_EQ(Option3[1], 15);
}

TEST_F(DisplayRules, OutsideTheTablesNothingIsStored) {
    Parcfgh[0].val = 3;
    EXPECT_EQ(testValueh(0, 8), 0);
    EXPECT_EQ(testValueh(0, -1), 0);
    EXPECT_EQ(testValueh(4, 0), 0);
    EXPECT_EQ(testValueh(-1, 0), 0);
    for (const auto& r : VT71h)
        EXPECT_EQ(r.Ndigit, 0);
    EXPECT_EQ(loadParcfgh(8), 1);
    EXPECT_EQ(write_to_VT71h(-1), 1);
    EXPECT_EQ(parameterhIndexOf(ID_EDT_VT71H_SCAN), 3);
    EXPECT_EQ(parameterhIndexOf(1503), -1);
}

TEST_F(DisplayRules, FamilyFromTheDetectionReplies) {
    using R = std::string[DISPLAY_BOARDS];
    const R allAbsent = {"7F", "7F", "7F", "7F", "7F", "7F", "7F", "7F"};
    const R allErr = {"ERR", "ERR", "ERR", "ERR", "ERR", "ERR", "ERR", "ERR"};
    const R twoBoards = {"01", "01", "ERR", "ERR", "ERR", "ERR", "ERR", "ERR"};
    const R oneAbsent = {"7F", "7F", "7F", "7F", "7F", "7F", "7F", "01"};
    const R mixed = {"7F", "ERR", "7F", "7F", "7F", "7F", "7F", "7F"};
    const std::tuple<const char*, const R*, int32_t> cases[] = {
        {"02", &allErr, SLAVE_VT75H},     {"ERR", &allAbsent, SLAVE_VT73H}, {"ERR", &allErr, SLAVE_NONE},
        {"ERR", &twoBoards, SLAVE_VT71H}, {"ERR", &oneAbsent, SLAVE_VT71H}, {"ERR", &mixed, SLAVE_VT71H},
        {"01", &allAbsent, SLAVE_NONE},   {"", &allAbsent, SLAVE_NONE},     {"0002", &allAbsent, SLAVE_NONE}};
    for (auto [reg3, reg1, family] : cases)
        EXPECT_EQ(slaveFamily(reg3, *reg1), family) << reg3 << " " << (*reg1)[0];
}

TEST_F(DisplayRules, FormShowsTheRecord) {
    VT71h[1] = {4, 2, 200, uint8_t(0x02 | 0x0C | DOPT_AUTOBRIGHT | DOPT_BLINK), uint8_t(0x80 | 0x10)};
    Option3[0] = 0x02 | DOPT3_NIGHTOFF | DOPT3_SCANOFF;
    Option3[1] = 25;
    const DisplayForm f = print_VT71h(1);
    EXPECT_EQ(f.ndigit + " " + f.dpoint + " " + f.dlux + " " + f.scan, "4 2 200 2.5");
    EXPECT_EQ(f.baud, 2);
    EXPECT_EQ(f.titleColor, 3);
    EXPECT_EQ(f.numberColor, 2);
    EXPECT_EQ(f.mode, 2);
    EXPECT_FALSE(f.displayOff);
    EXPECT_TRUE(f.autoBright && f.blinking && f.nightOff && f.scanOff);
    EXPECT_FALSE(f.scanEditEnabled);
    ASSERT_TRUE(setDisplayCheck(DisplayCheck::ScanOff, false, 1));
    EXPECT_TRUE(print_VT71h(1).scanEditEnabled);
    EXPECT_EQ(Option3[0], 0x02 | DOPT3_NIGHTOFF);
}

TEST_F(DisplayRules, ChecksAndChoicesTouchOnlyTheirBits) {
    const std::tuple<DisplayCheck, uint8_t*, uint8_t> checks[] = {
        {DisplayCheck::DisplayOff, &VT71h[5].Option, 0x20},
        {DisplayCheck::AutoBright, &VT71h[5].Option, 0x40},
        {DisplayCheck::Blinking, &VT71h[5].Option, 0x80},
        {DisplayCheck::NightOff, &Option3[0], 0x20},
        {DisplayCheck::ScanOff, &Option3[0], 0x08}};
    for (auto [which, byte, bit] : checks) {
        *byte = 0x11;
        setDisplayCheck(which, true, 5);
        EXPECT_EQ(*byte, 0x11 | bit);
        setDisplayCheck(which, false, 5);
        EXPECT_EQ(*byte, 0x11);
    }
    EXPECT_FALSE(setDisplayCheck(DisplayCheck::Blinking, true, 8));

    VT71h[0].Option = 0xF0;
    EXPECT_EQ(upd_Option_BaudRateh(Lista_Baud_Rate[3], 0), 3);
    EXPECT_EQ(upd_Option_ColDid("2 - RED", 0), 2);
    EXPECT_EQ(VT71h[0].Option, 0xF0 | 0x03 | 0x08);
    VT71h[0].Option2 = 0x3F;
    EXPECT_EQ(upd_Option2_ColGra("3 - ORANGE", 0), 3);
    EXPECT_EQ(VT71h[0].Option2, 0xFF);
    Option3[0] = 0xFC;
    EXPECT_EQ(upd_Option3_Mode("1 - GRA16"), 1);
    EXPECT_EQ(Option3[0], 0xFD);
    // Unknown text or display: nothing changes.
    EXPECT_EQ(upd_Option3_Mode("9 - X"), 4);
    EXPECT_EQ(upd_Option_ColDid("1 - GREEN", 8), 4);
    EXPECT_EQ(Option3[0], 0xFD);
}

TEST_F(DisplayRules, LayoutAndServiceKeysFollowTheFamily) {
    // Digit edit, baud rate, and the VT75h controls (scan, mode, colours, night off).
    const std::tuple<int32_t, int, bool, bool, bool> cases[] = {
        {SLAVE_VT75H, 0, false, false, true}, {SLAVE_VT75H, 1, false, true, true},
        {SLAVE_VT75H, 2, false, true, true},  {SLAVE_VT75H, 3, false, false, true},
        {SLAVE_VT71H, 0, true, true, false},  {SLAVE_VT73H, 5, true, true, false}};
    for (auto [family, cd, digit, baud, vt75] : cases) {
        const DisplayLayout l = displayLayout(family, cd, 0x13, false);
        EXPECT_EQ(l.digitEdit, digit) << family << cd;
        EXPECT_EQ(l.baudRate, baud) << family << cd;
        EXPECT_EQ(l.scan && l.mode && l.colours && l.nightOff, vt75);
        EXPECT_EQ(l.scan || l.mode || l.colours || l.nightOff, vt75);
        EXPECT_EQ(l.label1503, vt75 ? "Number color" : "Digit number");
    }
    EXPECT_EQ(displayLayout(SLAVE_VT71H, 3, 0x2A, false).title, "I2C Slave Card - Display 3 (rev.2.A)");
    EXPECT_EQ(displayLayout(SLAVE_VT71H, 2, 0x2A, true).title, "QM42h configuration parameters");
    EXPECT_FALSE(displayFound(0x00));
    EXPECT_TRUE(displayFound(0x10));
    const std::tuple<char, int32_t, bool> keys[] = {{'X', SLAVE_VT71H, true},  {'X', SLAVE_VT75H, true},
                                                    {'O', SLAVE_VT71H, false}, {'O', SLAVE_VT75H, true},
                                                    {'C', SLAVE_VT73H, false}, {'C', SLAVE_VT75H, true},
                                                    {'Z', SLAVE_VT75H, false}};
    for (auto [key, family, available] : keys)
        EXPECT_EQ(serviceKeyAvailable(key, family), available) << key << family;
}

TEST_F(DisplayRules, TuningValueByteAndStepWithinMinus32To31) {
    const std::pair<uint8_t, int> reads[] = {{0x00, 0},  {0x1F, 31}, {0x20, -32}, {0x3F, -1},
                                             {0xBF, -1}, {0x81, 1},  {0x7E, -2}};
    for (auto [reg, value] : reads)
        EXPECT_EQ(tuningValue(reg), value) << int(reg);
    const std::tuple<int, bool, uint8_t> writes[] = {
        {-1, true, 0xBF}, {-1, false, 0x3F}, {-32, false, 0x20}, {31, true, 0x9F}, {0, true, 0x80}};
    for (auto [value, pulse, byte] : writes)
        EXPECT_EQ(tuningByte(value, pulse), byte) << value;
    const std::tuple<int, int, int> steps[] = {{-32, -1, -32}, {-31, -1, -32}, {31, 1, 31},
                                               {30, 1, 31},    {0, -1, -1},    {-1, 1, 0}};
    for (auto [value, delta, next] : steps)
        EXPECT_EQ(tuningStep(value, delta), next) << value << " " << delta;
}

}  // namespace
