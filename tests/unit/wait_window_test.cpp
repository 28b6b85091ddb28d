// The wait window's contract with the long procedures that poll it.

#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "ui/wait_window.h"

namespace {

using WaitWindowTest = vx::test::ProgramTest;

TEST_F(WaitWindowTest, ProgressBarPercentages) {
    Show_wait_msg(nullptr, "Working...");
    Setbar_wait_msg(5, 0);
    Setbar_wait_msg(3, 4);
    Setbar_wait_msg(1, 3);
    Setbar_wait_msg(4095, 4095);
    EXPECT_EQ(ui.waitBars, (std::vector<int>{75, 33, 100}));
    Close_wait_msg();
}

TEST_F(WaitWindowTest, StopConfirmedEndsAtTheNextPoll) {
    Show_wait_msg(nullptr, "Reading...");
    ui.stopAtPoll(2);
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(Test_wait_msg(), 1);  // the poll that delivered the click
    EXPECT_EQ(Test_wait_msg(), 0);
    EXPECT_EQ(hDlgWait, nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Abandon the current operation ?");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(ui.messages[0].icon, vx::ui::Icon::Warning);
    EXPECT_EQ(ui.messages[0].buttons, vx::ui::Buttons::YesNo);
    // Afterwards the window functions are harmless no-ops.
    Setbar_wait_msg(1, 2);
    Print_wait_msg("late");
    Close_wait_msg();
    EXPECT_TRUE(ui.waitBars.empty());
    EXPECT_EQ(ui.waitCloses, 1);
}

TEST_F(WaitWindowTest, StopAnsweredNoKeepsGoing) {
    Show_wait_msg(nullptr, "Reading...");
    ui.stopAtPoll(1);
    ui.answer(vx::ui::Answer::No);
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(Test_wait_msg(), 1);
    Close_wait_msg();
}

TEST_F(WaitWindowTest, OneWindowAtATime) {
    EXPECT_EQ(Test_wait_msg(), 0);  // nothing open: a procedure stops at its first poll
    Show_wait_msg(nullptr, "first");
    Show_wait_msg(nullptr, "second");
    Print_wait_msg("changed");
    EXPECT_EQ(ui.waitShows, 1);
    EXPECT_EQ(ui.waitTexts, (std::vector<std::string>{"first", "changed"}));
    Close_wait_msg();
    Close_wait_msg();
    EXPECT_EQ(ui.waitCloses, 1);
}

}  // namespace
