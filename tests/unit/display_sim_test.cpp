// The display board procedures against simulated display boards behind a VT71, over a
// pseudo-terminal.

#include <gtest/gtest.h>

#include <cstring>

#include "boards/board_image.h"
#include "boards/display_board.h"
#include "boards/display_rules.h"
#include "link/com.h"
#include "link/transaction.h"
#include "sim/logger_device.h"
#include "support/sim_logger.h"

namespace {

class DisplaySim : public vx::test::SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        std::memset(VT71h, 0, sizeof VT71h);
        std::memset(Option3, 0, sizeof Option3);
        std::memset(Parcfgh, 0, sizeof Parcfgh);
        initParcfgh();
        Slave_board = SLAVE_NONE;
        VT71h_fw = 0;
    }
    void TearDown() override {
        Slave_board = SLAVE_NONE;
        SimLoggerTest::TearDown();
    }
    template <class F>
    void boards(F f) {
        server->withDevice([&](vx::sim::Device& d) { f(vx::sim::findLogger(d)->displays()); });
    }
};

TEST_F(DisplaySim, DetectsTheFamily) {
    const struct {
        const char* settings;
        int32_t family;
    } cases[] = {
        {"vt71,displays=3,display-family=vt71h", SLAVE_VT71H},
        {"vt71,displays=8,display-family=vt71h", SLAVE_VT71H},
        {"vt71,displays=2,display-family=vt73h", SLAVE_VT73H},
        {"vt71,displays=1,display-family=vt75h", SLAVE_VT75H},
        {"vt71,displays=0", SLAVE_NONE},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(connect(c.settings)) << c.settings;
        Slave_board = -1;
        EXPECT_EQ(detect_Slave_board(), 1) << c.settings;
        EXPECT_EQ(Slave_board, c.family) << c.settings;
        closePort(hCom);
        hCom = nullptr;
        server->stop();
        server.reset();
    }
}

TEST_F(DisplaySim, ReadsEditsWritesAndSaves) {
    ASSERT_TRUE(connect("vt71,displays=3,display-family=vt71h,display-fw=2A"));
    ASSERT_EQ(detect_Slave_board(), 1);
    uint8_t ver = 0;
    ASSERT_EQ(readDisplayVersion(2, &ver), 0);
    EXPECT_EQ(ver, 0x2A);
    ASSERT_EQ(loadParcfgh(2), 0);
    EXPECT_EQ(VT71h_fw, 0x2A);
    const auto def = vx::sim::DisplayBoards::defaultRegisters();
    EXPECT_EQ(VT71h[2].Ndigit, def[1]);
    EXPECT_EQ(VT71h[2].Dpoint, def[2]);
    EXPECT_EQ(VT71h[2].Dlux, def[3]);
    EXPECT_EQ(VT71h[2].Option, def[4]);
    EXPECT_FLOAT_EQ(Parcfgh[2].val, float(def[3]));

    std::string five = "5", lux = "77";
    ASSERT_EQ(editParameterh(0, five, 2), 1);
    ASSERT_EQ(editParameterh(2, lux, 2), 1);
    ASSERT_TRUE(setDisplayCheck(DisplayCheck::Blinking, true, 2));
    ASSERT_EQ(write_to_VT71h(2), 0);
    boards([&](const vx::sim::DisplayBoards& b) {
        EXPECT_EQ(b.registers(2)[1], 5);
        EXPECT_EQ(b.registers(2)[3], 77);
        EXPECT_EQ(b.registers(2)[4], def[4] | DOPT_BLINK);
        EXPECT_EQ(b.saved(2)[3], def[3]);  // not saved yet
        EXPECT_EQ(b.registers(1), def);    // the other boards untouched
    });
    ASSERT_EQ(saveDisplayBoard(2), 0);
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.saved(2)[3], 77); });
    ASSERT_EQ(defaultDisplayBoard(2), 0);
    ASSERT_EQ(loadParcfgh(2), 0);
    EXPECT_EQ(VT71h[2].Dlux, def[3]);
}

TEST_F(DisplaySim, ResetGoesBackToTheSavedValues) {
    ASSERT_TRUE(connect("vt71,displays=1"));
    CodeD = 0;
    ASSERT_EQ(loadParcfgh(0), 0);
    VT71h[0].Dlux = 9;
    ASSERT_EQ(write_to_VT71h(0), 0);
    ASSERT_EQ(resetDisplayBoard(0), 0);
    ASSERT_EQ(loadParcfgh(0), 0);
    EXPECT_EQ(VT71h[0].Dlux, vx::sim::DisplayBoards::defaultRegisters()[3]);
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.resets(0), 1u); });
}

TEST_F(DisplaySim, ExtendedOptionsOfAVt75h) {
    ASSERT_TRUE(connect("vt71,displays=1,display-family=vt75h"));
    ASSERT_EQ(detect_Slave_board(), 1);
    ASSERT_EQ(Slave_board, SLAVE_VT75H);
    ASSERT_EQ(loadParcfgh(0), 0);
    const auto opt3 = vx::sim::DisplayBoards::defaultOption3();
    EXPECT_EQ(std::memcmp(Option3, opt3.data(), 8), 0);
    EXPECT_FLOAT_EQ(Parcfgh[3].val, float(opt3[1]) / 10.0f);

    std::string scan = "2.5", point = "3";
    ASSERT_EQ(editParameterh(3, scan, 0), 1);
    ASSERT_EQ(editParameterh(1, point, 0), 1);
    ASSERT_EQ(upd_Option3_Mode("2 - GRA64"), 2);
    ASSERT_EQ(write_to_VT71h(0), 0);
    boards([&](const vx::sim::DisplayBoards& b) {
        EXPECT_EQ(b.option3()[1], 25);
        EXPECT_EQ(b.option3()[0], 0x02);
        EXPECT_EQ(b.registers(0)[6] & DOPT2_POINT, 0x20);
    });

    // Clock tuning: down to the floor and the pulse on, each change written at once.
    Tunosc tun;
    ASSERT_EQ(tun.open(), 0);
    EXPECT_EQ(tun.value(), 0);
    ASSERT_EQ(tun.decrement(), 0);
    ASSERT_EQ(tun.setPulse(true), 0);
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.option3()[5], 0xBF); });
    EXPECT_EQ(tun.result(), 1);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(tun.decrement(), 0);
    EXPECT_EQ(tun.value(), -32);
    ASSERT_EQ(tun.decrement(), 0);
    EXPECT_EQ(tun.value(), -32);
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.option3()[5], 0xA0); });
}

TEST_F(DisplaySim, AbsentBoardFailsLoudly) {
    ASSERT_TRUE(connect("vt71,displays=2"));
    uint32_t v = 0;
    EXPECT_EQ(txrx_VT71h(R_PAR | 1, 5, &v), 1);  // nobody at code 5: the host says ERR
    EXPECT_FALSE(vx::link::lastFailureText().empty());
    EXPECT_EQ(loadParcfgh(5), 1);
    EXPECT_EQ(write_to_VT71h(5), 1);
    EXPECT_EQ(saveDisplayBoard(5), 1);
    // A VT71h has no extended option bytes.
    EXPECT_EQ(txrx_VT71h(R_PAR | 7, 1, &v), 1);
}

TEST_F(DisplaySim, GsmQueryStillReachesTheModem) {
    ASSERT_TRUE(connect("vt71,displays=8"));
    ASSERT_EQ(sendCOMMAND(hCom, "ATSD02E041542B4353510D\r", 13), 1);
    EXPECT_EQ(iRx, 28);  // the modem's 14 bytes in hex, not a display register
}

}  // namespace
