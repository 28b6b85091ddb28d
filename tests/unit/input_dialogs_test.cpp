// Editing rules of the input dialogs, as a user types into them.

#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "ui/input_dialogs.h"

namespace {

using vx::ui::InputKind;
using InputDialogsTest = vx::test::ProgramTest;

TEST_F(InputDialogsTest, NumberDialogReformatsOnConfirm) {
    struct Case {
        const char* typed;
        int maxEdit;
        int result;
        const char* out;
    };
    const Case cases[] = {
        {"12", 8, 1, "12"},       {"2.50", 8, 1, "2.50"},     {"-0.5", 8, 1, "-0.5"},
        {"1.23456", 7, 1, "Err"}, {"1.2345", 8, 1, "1.2345"}, {"12a", 8, 0, ""},
        {"", 8, 0, ""},           {"99999", 3, 1, "999"},     {"7.", 8, 1, "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        MaxEdit = c.maxEdit;
        EditBuf[0] = 0;
        EXPECT_EQ(vx::ui::typeAndConfirm(InputKind::Num, c.typed), c.result);
        if (c.result) {
            EXPECT_STREQ(EditBuf, c.out);
        }
    }
}

TEST_F(InputDialogsTest, LetterEmptiesTheFieldAndDisablesOk) {
    for (InputKind k : {InputKind::Num, InputKind::Num2}) {
        InputMin = 0, InputMax = 100;
        auto st = vx::ui::onEditChange(k, "12x");
        EXPECT_EQ(st.text, "");
        EXPECT_FALSE(st.okEnabled);
        EXPECT_TRUE(st.textChanged);
    }
}

TEST_F(InputDialogsTest, RangeDialogBoundsAreInclusive) {
    InputMin = 0, InputMax = 4095, Ndec = 0, MaxEdit = 4;
    EXPECT_EQ(vx::ui::rangeLine(), "Range: 0 ... 4095");
    EXPECT_TRUE(vx::ui::onEditChange(InputKind::Num2, "4095").okEnabled);
    EXPECT_FALSE(vx::ui::onEditChange(InputKind::Num2, "4096").okEnabled);
    EXPECT_TRUE(vx::ui::onEditChange(InputKind::Num2, "0").okEnabled);
    EXPECT_EQ(vx::ui::typeAndConfirm(InputKind::Num2, "40950"), 1);  // the fifth digit is cut
    EXPECT_STREQ(EditBuf, "4095");
    InputMin = 0, InputMax = 100000000, Ndec = 1;
    EXPECT_EQ(vx::ui::rangeLine(), "Range: 0.0 ... 100000000.0");
    InputMin = -1.5f, InputMax = 2.25f, Ndec = 2;
    EXPECT_EQ(vx::ui::rangeLine(), "Range: -1.50 ... 2.25");
}

TEST_F(InputDialogsTest, TextDialogCutsAtMaxEditAndAcceptsEmpty) {
    MaxEdit = 15;
    EXPECT_EQ(vx::ui::lengthLine(), "(15 characters max)");
    auto st = vx::ui::onEditChange(InputKind::Txt, "0123456789012345");
    EXPECT_EQ(st.text, "012345678901234");
    EXPECT_TRUE(st.textChanged);
    EXPECT_TRUE(vx::ui::onEditChange(InputKind::Txt, "").okEnabled);
    EXPECT_FALSE(vx::ui::onEditChange(InputKind::Text, "").okEnabled);
}

TEST_F(InputDialogsTest, FormatHelper) {
    char buf[32];
    const std::tuple<int, float, const char*> cases[] = {
        {0, 2.4f, "2"},      {0, -2.6f, "-3"}, {1, 2.25f, "2.2"}, {2, 2.5f, "2.50"},
        {4, 1.0f, "1.0000"}, {5, 1.0f, "Err"}, {-1, 1.0f, "Err"},
    };
    for (auto [prec, v, out] : cases) {
        sprintf_format(buf, prec, v);
        EXPECT_STREQ(buf, out) << prec << " " << v;
    }
}

TEST_F(InputDialogsTest, ScriptedDialogRecordsWhatTheUserSaw) {
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "Number of pages requested");
    InputMin = 0, InputMax = 12, Ndec = 0, MaxEdit = 4;
    std::snprintf(EditBuf, sizeof EditBuf, "4");
    ui.type("13");
    ui.type("7");
    EXPECT_EQ(DlgInputNum2_(nullptr), 0);  // 13 is out of range: Ok never enabled
    EXPECT_EQ(DlgInputNum2_(nullptr), 1);
    EXPECT_STREQ(EditBuf, "7");
    ASSERT_EQ(ui.inputs.size(), 2u);
    EXPECT_EQ(ui.inputs[0].caption, "Number of pages requested");
    EXPECT_EQ(ui.inputs[0].preset, "4");
    EXPECT_EQ(ui.inputs[0].staticLine, "Range: 0 ... 12");
}

}  // namespace
