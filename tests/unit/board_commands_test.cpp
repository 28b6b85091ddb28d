// The board's save, defaults and reset against the simulated board: what survives a
// reboot, and a board that does not come back.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "boards/board_commands.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "link/com.h"
#include "sim/logger_device.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace {

class BoardCommands : public vx::test::SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        resetBoardImage();
        std::memset(Parcfg, 0, sizeof Parcfg);
        initParcfg();
    }
    void disconnect() {
        closePort(hCom);
        hCom = nullptr;
        server->stop();
        server.reset();
    }
    unsigned resets() {
        unsigned n = 0;
        server->withDevice([&](vx::sim::Device& d) { n = vx::sim::findLogger(d)->boardState().resets; });
        return n;
    }
    // A new mean sampling time written into the board's working image.
    void writeTcm(uint16_t tcm) {
        ASSERT_EQ(loadParcfg(), 0);
        EE.ram.TCM = tcm;
        ASSERT_EQ(write_to_VT71a(), 0);
    }
};

TEST_F(BoardCommands, WhatSurvivesAReboot) {
    enum Step { Write, Save, Reset, Defaults };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        uint16_t tcmAfter;
    };
    const std::vector<Case> cases = {
        {"unsaved write is lost on reset", {Write, Reset}, 600},
        {"saved write survives reset", {Write, Save, Reset}, 111},
        {"defaults drop a saved write", {Write, Save, Defaults}, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(connect("vt71,tcm=600,reboot=300"));
        unsigned reboots = 0;
        for (Step s : c.steps) {
            std::string error;
            bool ok = true;
            if (s == Write) writeTcm(111);
            if (s == Save) ok = vx::boards::saveBoardImage(&error);
            if (s == Reset) ok = vx::boards::resetBoard(nullptr, &error), ++reboots;
            if (s == Defaults) ok = vx::boards::restoreBoardDefaults(nullptr, &error), ++reboots;
            ASSERT_TRUE(ok) << error;
        }
        // The procedures end with the image read again.
        EXPECT_EQ(+EE.ram.TCM, c.tcmAfter);
        EXPECT_EQ(resets(), reboots);
        disconnect();
    }
}

TEST_F(BoardCommands, BoardThatStaysSilentFailsWithItsMessage) {
    ASSERT_TRUE(connect("vt71,reboot=600000"));
    std::string error;
    EXPECT_FALSE(vx::boards::resetBoard(nullptr, &error));
    EXPECT_EQ(error, "Error in recovering from Reset !");
    error.clear();
    EXPECT_FALSE(vx::boards::saveBoardImage(&error));  // still rebooting: no answer
    EXPECT_EQ(error, "Failed to save parameters in EEPROM !");
}

TEST_F(BoardCommands, NamesFollowTheBoard) {
    Flag.NOD85 = 0;
    EXPECT_EQ(vx::boards::saveQuestion(),
              "Save to non-volatile memory the current parameter values of VT71a ?");
    EXPECT_EQ(vx::boards::defaultsQuestion(), "Restore the default parameter values of VT71a ?");
    Flag.NOD85 = 1;
    EXPECT_EQ(vx::boards::defaultsQuestion(), "Restore the default parameter values of NOD85 ?");
    EXPECT_EQ(vx::boards::boardCommError(), "Communication error with NOD85 !");
    Flag.NOD85 = 0;
}

}  // namespace
