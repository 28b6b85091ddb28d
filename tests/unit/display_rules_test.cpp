// The display board rules without a board: parameter checks, the family rule, the
// window's form and layout, the choice updates and the clock tuning.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
};

TEST_F(DisplayRules, DecimalPointSetsItsCodeInOption2) {
    const struct {
        const char* text;
        uint8_t code;  // Option2 bits 4-5
    } cases[] = {{"0", 0}, {"1", 0}, {"2", 1}, {"3", 2}, {"4", 3}, {"6", 3}};
    for (const auto& c : cases) {
        VT71h[2].Option2 = 0xCF;  // colour and quantity bits must survive, point bits replaced
        std::string t = c.text;
        ASSERT_EQ(editParameterh(1, t, 2), 1) << c.text;
        EXPECT_EQ(VT71h[2].Dpoint, uint8_t(std::stoi(c.text))) << c.text;
        EXPECT_EQ(VT71h[2].Option2, uint8_t(0xCF | c.code << 4)) << c.text;
    }
    // 3 then 1: the code set by 3 is cleared again.
    std::string three = "3", one = "1";
    editParameterh(1, three, 4);
    EXPECT_EQ(VT71h[4].Option2 & DOPT2_POINT, 0x20);
    editParameterh(1, one, 4);
    EXPECT_EQ(VT71h[4].Option2 & DOPT2_POINT, 0);
    // A refused position leaves the record alone.
    std::string seven = "7";
    EXPECT_EQ(editParameterh(1, seven, 4), 0);
    EXPECT_EQ(Parcfgh[1].val_err, 1);
    EXPECT_EQ(VT71h[4].Dpoint, 1);
}

TEST_F(DisplayRules, EditsAreCheckedAgainstTheirRanges) {
    const struct {
        int index;
        const char* typed;
        int ok;
        uint8_t stored;  // Ndigit, Dpoint, Dlux of record 3, or Option3[1]
    } cases[] = {
        {0, "0", 0, 0},   {0, "1", 1, 1},      {0, "6", 1, 6},    {0, "7", 0, 0},       {2, "255", 1, 255},
        {2, "256", 0, 0}, {2, "2555", 1, 255}, {3, "2.5", 1, 25}, {3, "25.5", 1, 255},  {3, "25.6", 0, 0},
        {3, "0", 1, 0},   {3, "0.3", 1, 3},    {3, "-0.1", 0, 0}, {3, "12.34", 1, 123},
    };
    for (const auto& c : cases) {
        SetUp();
        std::string t = c.typed;
        EXPECT_EQ(editParameterh(c.index, t, 3), c.ok) << c.index << " " << c.typed;
        EXPECT_EQ(Parcfgh[c.index].val_err, c.ok ? 0 : 1) << c.typed;
        const uint8_t got[] = {VT71h[3].Ndigit, VT71h[3].Dpoint, VT71h[3].Dlux, Option3[1]};
        EXPECT_EQ(got[c.index], c.stored) << c.index << " " << c.typed;
    }
    // The scan time goes to the extended bytes whatever the display.
    std::string t = "1.5";
    ASSERT_EQ(editParameterh(3, t, 6), 1);
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
    const struct {
        const char* reg3;
        const R* reg1;
        int32_t family;
    } cases[] = {
        {"02", &allErr, SLAVE_VT75H},     {"ERR", &allAbsent, SLAVE_VT73H}, {"ERR", &allErr, SLAVE_NONE},
        {"ERR", &twoBoards, SLAVE_VT71H}, {"ERR", &oneAbsent, SLAVE_VT71H}, {"ERR", &mixed, SLAVE_VT71H},
        {"01", &allAbsent, SLAVE_NONE},   {"", &allAbsent, SLAVE_NONE},     {"0002", &allAbsent, SLAVE_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(slaveFamily(c.reg3, *c.reg1), c.family) << c.reg3 << " " << (*c.reg1)[0];
}

TEST_F(DisplayRules, FormShowsTheRecord) {
    VT71h[1] = {4, 2, 200, uint8_t(0x02 | 0x0C | DOPT_AUTOBRIGHT | DOPT_BLINK), uint8_t(0x80 | 0x10)};
    Option3[0] = 0x02 | DOPT3_NIGHTOFF | DOPT3_SCANOFF;
    Option3[1] = 25;
    const DisplayForm f = print_VT71h(1);
    EXPECT_EQ(f.ndigit, "4");
    EXPECT_EQ(f.dpoint, "2");
    EXPECT_EQ(f.dlux, "200");
    EXPECT_EQ(f.scan, "2.5");
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
    const struct {
        DisplayCheck which;
        uint8_t* byte;
        uint8_t bit;
    } checks[] = {{DisplayCheck::DisplayOff, &VT71h[5].Option, 0x20},
                  {DisplayCheck::AutoBright, &VT71h[5].Option, 0x40},
                  {DisplayCheck::Blinking, &VT71h[5].Option, 0x80},
                  {DisplayCheck::NightOff, &Option3[0], 0x20},
                  {DisplayCheck::ScanOff, &Option3[0], 0x08}};
    for (const auto& c : checks) {
        *c.byte = 0x11;
        setDisplayCheck(c.which, true, 5);
        EXPECT_EQ(*c.byte, 0x11 | c.bit);
        setDisplayCheck(c.which, false, 5);
        EXPECT_EQ(*c.byte, 0x11);
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

TEST_F(DisplayRules, LayoutFollowsTheFamily) {
    const struct {
        int32_t family;
        int cd;
        bool digit, baud, vt75;
        const char* label;
    } cases[] = {
        {SLAVE_VT75H, 0, false, false, true, "Number color"},
        {SLAVE_VT75H, 1, false, true, true, "Number color"},
        {SLAVE_VT75H, 2, false, true, true, "Number color"},
        {SLAVE_VT75H, 3, false, false, true, "Number color"},
        {SLAVE_VT71H, 0, true, true, false, "Digit number"},
        {SLAVE_VT73H, 5, true, true, false, "Digit number"},
    };
    for (const auto& c : cases) {
        const DisplayLayout l = displayLayout(c.family, c.cd, 0x13, false);
        EXPECT_EQ(l.digitEdit, c.digit) << c.family << c.cd;
        EXPECT_EQ(l.baudRate, c.baud) << c.family << c.cd;
        EXPECT_EQ(l.scan && l.mode && l.colours && l.nightOff, c.vt75);
        EXPECT_EQ(l.scan || l.mode || l.colours || l.nightOff, c.vt75);
        EXPECT_EQ(l.label1503, c.label);
    }
    EXPECT_EQ(displayLayout(SLAVE_VT71H, 3, 0x2A, false).title, "I2C Slave Card - Display 3 (rev.2.A)");
    EXPECT_EQ(displayLayout(SLAVE_VT71H, 2, 0x2A, true).title, "QM42h configuration parameters");
    EXPECT_FALSE(displayFound(0x00));
    EXPECT_TRUE(displayFound(0x10));
}

TEST_F(DisplayRules, ServiceKeysByFamily) {
    const struct {
        char key;
        int32_t family;
        bool available;
    } cases[] = {{'X', SLAVE_VT71H, true}, {'X', SLAVE_VT75H, true},  {'O', SLAVE_VT71H, false},
                 {'O', SLAVE_VT75H, true}, {'C', SLAVE_VT73H, false}, {'C', SLAVE_VT75H, true},
                 {'Z', SLAVE_VT75H, false}};
    for (const auto& c : cases)
        EXPECT_EQ(serviceKeyAvailable(c.key, c.family), c.available) << c.key << c.family;
}

TEST_F(DisplayRules, TuningValueAndByte) {
    const struct {
        uint8_t reg;
        int value;
    } reads[] = {{0x00, 0}, {0x1F, 31}, {0x20, -32}, {0x3F, -1}, {0xBF, -1}, {0x81, 1}, {0x7E, -2}};
    for (const auto& r : reads)
        EXPECT_EQ(tuningValue(r.reg), r.value) << int(r.reg);
    const struct {
        int value;
        bool pulse;
        uint8_t byte;
    } writes[] = {{-1, true, 0xBF}, {-1, false, 0x3F}, {-32, false, 0x20}, {31, true, 0x9F}, {0, true, 0x80}};
    for (const auto& w : writes)
        EXPECT_EQ(tuningByte(w.value, w.pulse), w.byte) << w.value;
    const struct {
        int value, delta, next;
    } steps[] = {{-32, -1, -32}, {-31, -1, -32}, {31, 1, 31}, {30, 1, 31}, {0, -1, -1}, {-1, 1, 0}};
    for (const auto& s : steps)
        EXPECT_EQ(tuningStep(s.value, s.delta), s.next) << s.value << " " << s.delta;
}

}  // namespace
