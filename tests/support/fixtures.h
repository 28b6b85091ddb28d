#pragma once
// Test fixture: program state at its defaults and the scripted user-interaction backend,
// which fails the test on any question it was not told to expect.

#include <gtest/gtest.h>

#include "shell/defaults.h"
#include "ui/scripted_backend.h"

namespace vx::test {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initVAR();
        ui.onUnexpected = [](const std::string& what) { ADD_FAILURE() << "unexpected " << what; };
        vx::ui::setBackend(&ui);
    }
    void TearDown() override {
        vx::ui::setBackend(nullptr);
        EXPECT_TRUE(ui.allConsumed()) << "scripted answers left over";
    }
    vx::ui::ScriptedBackend ui;
};

}  // namespace vx::test
