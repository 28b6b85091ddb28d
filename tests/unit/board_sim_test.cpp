// The board procedures against the simulated VT71a/NOD85 and its display boards over a
// pseudo-terminal: the image read and written, single values, save/defaults/reset and
// what survives a reboot, and the display boards' detection, set-up and clock tuning.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "boards/board_commands.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/display_board.h"
#include "boards/display_rules.h"
#include "boards/vt71_params.h"
#include "link/com.h"
#include "link/transaction.h"
#include "sim/logger_device.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace vx::test {
namespace {

const uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// The board and its displays on a pseudo-terminal, the program's records of them cleared.
class BoardSim : public SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        resetBoardImage();
        std::memset(Parcfg, 0, sizeof Parcfg);
        initParcfg();
        std::memset(VT71h, 0, sizeof VT71h);
        std::memset(Option3, 0, sizeof Option3);
        std::memset(Parcfgh, 0, sizeof Parcfgh);
        initParcfgh();
        Slave_board = SLAVE_NONE;
        VT71h_fw = 0;
    }
    void TearDown() override {
        Flag.NOD85 = 0;
        Slave_board = SLAVE_NONE;
        SimLoggerTest::TearDown();
    }
    void disconnect() {
        closePort(hCom);
        hCom = nullptr;
        server->stop();
        server.reset();
    }
    // Runs f on the simulated logger, between two of its answers.
    template <class F>
    void logger(F f) {
        server->withDevice([&](vx::sim::Device& d) { f(*vx::sim::findLogger(d)); });
    }
    std::vector<uint8_t> boardImage() {
        std::vector<uint8_t> img;
        logger([&](const vx::sim::LoggerDevice& l) { img.assign(l.eeprom().begin(), l.eeprom().end()); });
        return img;
    }
    std::vector<uint8_t> image() const { return {EE.buf, EE.buf + EE_SIZE}; }
};

TEST_F(BoardSim, ReadsTheImageAndStateAndWritesItBack) {
    ASSERT_TRUE(connect("vt71,tcm=600,opstatus=05"));
    ASSERT_EQ(loadParcfg(), 0);
    EXPECT_EQ(image(), boardImage());
    EXPECT_EQ(+EE.ram.TCM, 600);
    EXPECT_STREQ(stateName(Stato_OP), "REC");
    const float values[] = {0, 1, 60, 15, 600, 1000, 0.53f, 0.40f, 19800, 2, 1, 0};
    for (int i = 1; i < PARCFG_N; ++i) {
        EXPECT_FLOAT_EQ(Parcfg[i].val, values[i]) << i;
        EXPECT_EQ(Parcfg[i].val_err, 0) << i;
    }
    for (int k = 0; k < EE_SIZE; ++k)
        EE.buf[k] = uint8_t(0x41 + k);
    ASSERT_EQ(write_to_VT71a(), 0);
    EXPECT_EQ(image(), boardImage());
}

TEST_F(BoardSim, SingleValuesOnlyInsideTheImage) {
    ASSERT_TRUE(connect("vt71,tcm=1234"));
    uint32_t v = 0;
    ASSERT_EQ(get_VT71_par(2, 7, &v), 1);
    EXPECT_EQ(v, 1234u);
    ASSERT_EQ(write_EE_par(2, 21, 0xA5C3), 1);
    ASSERT_EQ(read_EE_par(2, 21, &v), 1);
    EXPECT_EQ(v, 0xA5C3u);
    const auto img = boardImage();
    EXPECT_EQ(img[21], 0xC3);
    EXPECT_EQ(img[22], 0xA5);
    EXPECT_EQ(img[23], 0x00);  // nothing past the value
    const std::pair<int, int> outside[] = {{2, 40}, {1, 41}, {5, 0}, {0, 3}, {1, -1}};  // bytes, offset
    for (auto [nbyte, at] : outside) {
        EXPECT_EQ(write_EE_par(nbyte, at, 0xFF), 0) << at;
        EXPECT_EQ(read_EE_par(nbyte, at, &v), 0) << at;
        EXPECT_EQ(get_VT71_par(nbyte, at, &v), 0) << at;
    }
    EXPECT_EQ(boardImage(), img);
}

TEST_F(BoardSim, Nod85AddressLivesInOption2) {
    Flag.NOD85 = 1;
    ASSERT_TRUE(connect("nod85"));
    ASSERT_EQ(write_EE_par(2, 23, 0x1207), 1);
    ASSERT_EQ(loadParcfg(), 0);
    EXPECT_FLOAT_EQ(Parcfg[1].val, 7);
    Parcfg[1].val = 9;
    ASSERT_EQ(testValue(1), 1);
    ASSERT_EQ(write_to_VT71a(), 0);
    const auto img = boardImage();
    EXPECT_EQ(img[23], 9);
    EXPECT_EQ(img[24], 0x12);
    EXPECT_EQ(img[1], 1);  // MYadd untouched
}

TEST_F(BoardSim, OneSpoiledReplyIsRetriedAFailingBoardLeavesTheImage) {
    ASSERT_TRUE(connect("vt71,truncate-nth=1,truncate-on=ATEE$"));
    EXPECT_EQ(loadParcfg(), 0);
    EXPECT_EQ(+EE.ram.TCM, 900);
    disconnect();
    ASSERT_TRUE(connect("vt71,truncate=1,truncate-on=ATEE$"));
    for (int k = 0; k < EE_SIZE; ++k)
        EE.buf[k] = uint8_t(k);
    const std::vector<uint8_t> before = image();
    EXPECT_EQ(loadParcfg(), 1);
    EXPECT_EQ(image(), before);
    EXPECT_EQ(write_to_VT71a(), 1);  // written, but the read-back fails
}

TEST(BoardReply, OnlyAWholeImageOrByteIsDecoded) {
    // Token 5A, MYadd 1, TCA 60, NTCA 15, TCM 900, Ki, Kco2, Keur, Pnom, ComReg, ComReg2,
    // Option, Option2, Display_gra, N_telefono "+39123".
    const std::string good =
        "5A01003C000F00840364003528584D000000000201000000000000000000000000A39123FFFFFFFFFF";
    std::string lower = good, badHex = good;
    for (char& c : lower)
        c = char(std::tolower(c));
    badHex[40] = 'G';
    const std::string cases[] = {
        good, lower, good.substr(0, 81), good.substr(0, 80), good + "00", good + "0", badHex, "ERR", ""};
    for (const std::string& reply : cases) {
        SCOPED_TRACE(reply);
        const bool ok = reply == good || reply == lower;
        uint8_t img[EE_SIZE];
        std::memset(img, 0xEE, sizeof img);
        EXPECT_EQ(vx::boards::decodeImageReply(bytes(reply), int(reply.size()), img), ok);
        const std::vector<uint8_t> got = {img[0], img[7], img[8], img[33], img[40]},
                                   want = {0x5A, 0x84, 0x03, 0xA3, 0xFF};
        EXPECT_EQ(got, ok ? want : std::vector<uint8_t>(5, 0xEE));
    }
    const std::pair<std::string, int> byteReplies[] = {
        {"3c", 0x3C}, {"FF", 0xFF}, {"3", -1}, {"3C0", -1}, {"OK", -1}};
    for (const auto& [reply, byte] : byteReplies) {
        uint8_t v = 0;
        EXPECT_EQ(vx::boards::decodeByteReply(bytes(reply), int(reply.size()), &v), byte >= 0) << reply;
        if (byte >= 0) {
            EXPECT_EQ(v, byte) << reply;
        }
    }
}

TEST_F(BoardSim, WhatSurvivesAReboot) {
    enum Step { Write, Save, Reset, Defaults };
    const std::tuple<const char*, std::vector<Step>, uint16_t> cases[] = {
        {"unsaved write is lost on reset", {Write, Reset}, 600},
        {"saved write survives reset", {Write, Save, Reset}, 111},
        {"defaults drop a saved write", {Write, Save, Defaults}, 600}};
    for (const auto& [what, steps, tcmAfter] : cases) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(connect("vt71,tcm=600,reboot=300"));
        unsigned reboots = 0;
        for (Step s : steps) {
            std::string error;
            bool ok = true;
            if (s == Write) {
                ASSERT_EQ(loadParcfg(), 0);
                EE.ram.TCM = 111;
                ASSERT_EQ(write_to_VT71a(), 0);
            }
            if (s == Save) ok = vx::boards::saveBoardImage(&error);
            if (s == Reset) ok = vx::boards::resetBoard(nullptr, &error), ++reboots;
            if (s == Defaults) ok = vx::boards::restoreBoardDefaults(nullptr, &error), ++reboots;
            ASSERT_TRUE(ok) << error;
        }
        EXPECT_EQ(+EE.ram.TCM, tcmAfter);  // the procedures end with the image read again
        logger([&](const vx::sim::LoggerDevice& l) { EXPECT_EQ(l.boardState().resets, reboots); });
        disconnect();
    }
}

TEST_F(BoardSim, BoardThatStaysSilentFailsWithItsMessage) {
    ASSERT_TRUE(connect("vt71,reboot=600000"));
    std::string error;
    EXPECT_FALSE(vx::boards::resetBoard(nullptr, &error));
    EXPECT_EQ(error, "Error in recovering from Reset !");
    error.clear();
    EXPECT_FALSE(vx::boards::saveBoardImage(&error));  // still rebooting: no answer
    EXPECT_EQ(error, "Failed to save parameters in EEPROM !");
}

TEST(BoardNames, QuestionsAndErrorsNameTheBoard) {
    Flag.NOD85 = 0;
    EXPECT_EQ(vx::boards::saveQuestion(),
              "Save to non-volatile memory the current parameter values of VT71a ?");
    EXPECT_EQ(vx::boards::defaultsQuestion(), "Restore the default parameter values of VT71a ?");
    Flag.NOD85 = 1;
    EXPECT_EQ(vx::boards::defaultsQuestion(), "Restore the default parameter values of NOD85 ?");
    EXPECT_EQ(vx::boards::boardCommError(), "Communication error with NOD85 !");
    Flag.NOD85 = 0;
}

class DisplaySim : public BoardSim {
  protected:
    template <class F>
    void boards(F f) {
        logger([&](const vx::sim::LoggerDevice& l) { f(l.displays()); });
    }
};

TEST_F(DisplaySim, DetectsTheFamily) {
    const std::pair<const char*, int32_t> cases[] = {{"vt71,displays=3,display-family=vt71h", SLAVE_VT71H},
                                                     {"vt71,displays=8,display-family=vt71h", SLAVE_VT71H},
                                                     {"vt71,displays=2,display-family=vt73h", SLAVE_VT73H},
                                                     {"vt71,displays=1,display-family=vt75h", SLAVE_VT75H},
                                                     {"vt71,displays=0", SLAVE_NONE}};
    for (auto [settings, family] : cases) {
        SCOPED_TRACE(settings);
        ASSERT_TRUE(connect(settings));
        Slave_board = -1;
        EXPECT_EQ(detect_Slave_board(), 1);
        EXPECT_EQ(Slave_board, family);
        disconnect();
    }
}

TEST_F(DisplaySim, ReadsEditsWritesSavesResetsAndRestoresDefaults) {
    ASSERT_TRUE(connect("vt71,displays=3,display-family=vt71h,display-fw=2A"));
    ASSERT_EQ(detect_Slave_board(), 1);
    uint8_t ver = 0;
    ASSERT_EQ(readDisplayVersion(2, &ver), 0);
    EXPECT_EQ(ver, 0x2A);
    ASSERT_EQ(loadParcfgh(2), 0);
    EXPECT_EQ(VT71h_fw, 0x2A);
    const auto def = vx::sim::DisplayBoards::defaultRegisters();
    EXPECT_EQ(std::vector<uint8_t>({VT71h[2].Ndigit, VT71h[2].Dpoint, VT71h[2].Dlux, VT71h[2].Option}),
              std::vector<uint8_t>(def.begin() + 1, def.begin() + 5));
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
    // A reset goes back to the saved values.
    VT71h[2].Dlux = 9;
    ASSERT_EQ(write_to_VT71h(2), 0);
    ASSERT_EQ(resetDisplayBoard(2), 0);
    ASSERT_EQ(loadParcfgh(2), 0);
    EXPECT_EQ(VT71h[2].Dlux, 77);
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.resets(2), 1u); });
    ASSERT_EQ(defaultDisplayBoard(2), 0);
    ASSERT_EQ(loadParcfgh(2), 0);
    EXPECT_EQ(VT71h[2].Dlux, def[3]);
}

TEST_F(DisplaySim, ExtendedOptionsAndClockTuningOfAVt75h) {
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

    // Down to the floor and the pulse on, each change written at once.
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
    boards([&](const vx::sim::DisplayBoards& b) { EXPECT_EQ(b.option3()[5], 0xA0); });
}

TEST_F(DisplaySim, AbsentBoardFailsLoudlyAndGsmStillReachesTheModem) {
    ASSERT_TRUE(connect("vt71,displays=8"));
    uint32_t v = 0;
    ASSERT_EQ(sendCOMMAND(hCom, "ATSD02E041542B4353510D\r", 13), 1);
    EXPECT_EQ(iRx, 28);  // the modem's 14 bytes in hex, not a display register
    disconnect();
    ASSERT_TRUE(connect("vt71,displays=2"));
    EXPECT_EQ(txrx_VT71h(R_PAR | 1, 5, &v), 1);  // nobody at code 5: the host says ERR
    EXPECT_FALSE(vx::link::lastFailureText().empty());
    EXPECT_EQ(loadParcfgh(5), 1);
    EXPECT_EQ(write_to_VT71h(5), 1);
    EXPECT_EQ(saveDisplayBoard(5), 1);
    EXPECT_EQ(txrx_VT71h(R_PAR | 7, 1, &v), 1);  // a VT71h has no extended option bytes
}

}  // namespace
}  // namespace vx::test
