// The image read from and written to the simulated boards over a pseudo-terminal.

#include <gtest/gtest.h>

#include <cstring>

#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/vt71_params.h"
#include "sim/logger_device.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace {

class BoardSim : public vx::test::SimLoggerTest {
  protected:
    void SetUp() override {
        SimLoggerTest::SetUp();
        resetBoardImage();
        std::memset(Parcfg, 0, sizeof Parcfg);
        initParcfg();
    }
    void TearDown() override {
        Flag.NOD85 = 0;
        SimLoggerTest::TearDown();
    }
    vx::sim::BoardImage boardImage() {
        vx::sim::BoardImage img{};
        server->withDevice([&](vx::sim::Device& d) { img = vx::sim::findLogger(d)->eeprom(); });
        return img;
    }
};

TEST_F(BoardSim, ReadsTheWholeImageAndState) {
    ASSERT_TRUE(connect("vt71,tcm=600,opstatus=05"));
    ASSERT_EQ(loadParcfg(), 0);
    const auto img = boardImage();
    EXPECT_EQ(std::memcmp(EE.buf, img.data(), EE_SIZE), 0);
    EXPECT_EQ(+EE.ram.TCM, 600);
    EXPECT_EQ(Stato_OP, 0x05);
    EXPECT_STREQ(stateName(Stato_OP), "REC");
    const struct {
        int index;
        float val;
    } values[] = {{1, 1},     {2, 60},    {3, 15}, {4, 600}, {5, 1000}, {6, 0.53f},
                  {7, 0.40f}, {8, 19800}, {9, 2},  {10, 1},  {11, 0}};
    for (const auto& v : values) {
        EXPECT_FLOAT_EQ(Parcfg[v.index].val, v.val) << v.index;
        EXPECT_EQ(Parcfg[v.index].val_err, 0) << v.index;
    }
}

TEST_F(BoardSim, WritesTheImageAndReadsItBack) {
    ASSERT_TRUE(connect("vt71"));
    ASSERT_EQ(loadParcfg(), 0);
    for (int k = 0; k < EE_SIZE; ++k)
        EE.buf[k] = uint8_t(0x41 + k);
    ASSERT_EQ(write_to_VT71a(), 0);
    const auto img = boardImage();
    EXPECT_EQ(std::memcmp(EE.buf, img.data(), EE_SIZE), 0);
}

TEST_F(BoardSim, SingleValues) {
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
    // Outside the image nothing is sent or read.
    const struct { int nbyte, at; } outside[] = {{2, 40}, {1, 41}, {5, 0}, {0, 3}, {1, -1}};
    for (const auto& o : outside) {
        EXPECT_EQ(write_EE_par(o.nbyte, o.at, 0xFF), 0) << o.at;
        EXPECT_EQ(read_EE_par(o.nbyte, o.at, &v), 0) << o.at;
        EXPECT_EQ(get_VT71_par(o.nbyte, o.at, &v), 0) << o.at;
    }
    EXPECT_EQ(boardImage(), img);
}

TEST_F(BoardSim, Nod85AddressFromOption2) {
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

TEST_F(BoardSim, OneSpoiledReplyIsRetried) {
    ASSERT_TRUE(connect("vt71,truncate-nth=1,truncate-on=ATEE$"));
    EXPECT_EQ(loadParcfg(), 0);
    EXPECT_EQ(+EE.ram.TCM, 900);
}

TEST_F(BoardSim, ABoardThatKeepsFailingLeavesTheImageAlone) {
    ASSERT_TRUE(connect("vt71,truncate=1,truncate-on=ATEE$"));
    for (int k = 0; k < EE_SIZE; ++k)
        EE.buf[k] = uint8_t(k);
    uint8_t before[EE_SIZE];
    std::memcpy(before, EE.buf, EE_SIZE);
    EXPECT_EQ(loadParcfg(), 1);
    EXPECT_EQ(std::memcmp(EE.buf, before, EE_SIZE), 0);
    EXPECT_EQ(write_to_VT71a(), 1);  // written, but the read-back fails
}

TEST(BoardReply, OnlyAWholeImageIsDecoded) {
    const std::string whole =
        "5A0100"
        "3C000F00"
        "8403"
        "6400"
        "3528"
        "584D0000"
        "0000"
        "0201"
        "0000"
        "0000"
        "0000000000000000"
        "A3912 3FFFFFFFFFF";
    std::string good;
    for (char c : whole)
        if (c != ' ') good += c;
    ASSERT_EQ(good.size(), 82u);
    std::string lower = good;
    for (char& c : lower)
        c = char(std::tolower(c));
    std::string badHex = good;
    badHex[40] = 'G';
    const struct {
        const char* what;
        std::string reply;
        bool ok;
    } cases[] = {{"82 digits", good, true},
                 {"lower case", lower, true},
                 {"81 digits", good.substr(0, 81), false},
                 {"80 digits", good.substr(0, 80), false},
                 {"84 digits", good + "00", false},
                 {"83 digits", good + "0", false},
                 {"not hex", badHex, false},
                 {"ERR", "ERR", false},
                 {"empty", "", false}};
    for (const auto& c : cases) {
        uint8_t img[EE_SIZE];
        std::memset(img, 0xEE, sizeof img);
        EXPECT_EQ(vx::boards::decodeImageReply(reinterpret_cast<const uint8_t*>(c.reply.data()),
                                               int(c.reply.size()), img),
                  c.ok)
            << c.what;
        if (c.ok) {
            EXPECT_EQ(img[0], 0x5A);
            EXPECT_EQ(img[7] | img[8] << 8, 900);
            EXPECT_EQ(img[33], 0xA3);
            EXPECT_EQ(img[40], 0xFF);
        } else {
            for (uint8_t b : img)
                ASSERT_EQ(b, 0xEE) << c.what;
        }
    }
    const struct {
        std::string reply;
        bool ok;
        uint8_t byte;
    } bytes[] = {
        {"3c", true, 0x3C}, {"FF", true, 0xFF}, {"3", false, 0}, {"3C0", false, 0}, {"OK", false, 0}};
    for (const auto& b : bytes) {
        uint8_t v = 0;
        EXPECT_EQ(vx::boards::decodeByteReply(reinterpret_cast<const uint8_t*>(b.reply.data()),
                                              int(b.reply.size()), &v),
                  b.ok)
            << b.reply;
        if (b.ok) {
            EXPECT_EQ(v, b.byte);
        }
    }
}

}  // namespace
