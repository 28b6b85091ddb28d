// The combo updates: each list's text stored as its index in its own bits, and the data
// sources that need a display port refused while that display is off.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include <functional>
#include <string>

#include "boards/board_choices.h"
#include "boards/board_image.h"
#include "support/fixtures.h"

namespace {

// A 16-bit word of the image, copied out (packed members are not aligned).
uint16_t wordAt(size_t offset) {
    uint16_t w;
    std::memcpy(&w, EE.buf + offset, sizeof w);
    return w;
}

class BoardChoices : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        resetBoardImage();
    }
};

TEST_F(BoardChoices, EachUpdateWritesOnlyItsBits) {
    const struct {
        const char* what;
        std::function<int(const std::string&)> update;
        std::string text;
        int index;
        size_t word;  // byte offset of the word in the image
        uint16_t mask;
    } cases[] = {
        {"alaetag", upd_Option_alaetag, "2 - <65%", 2, offsetof(ee_ram, Option), 0x0030},
        {"alainv", upd_Option_alainv, "3 - <80%", 3, offsetof(ee_ram, Option), 0x00C0},
        {"sorgm", upd_Option_sorgm, "3 - ComA", 3, offsetof(ee_ram, Option), 0x0300},
        {"nodeadd", upd_Option_nodeadd, "1 - 33", 1, offsetof(ee_ram, Option), 0x0C00},
        {"proto", upd_ComReg_Proto, "PROTO_2", 2, offsetof(ee_ram, ComReg), 0x000F},
        {"baud", upd_ComReg_BaudRate, "3 - 57600", 3, offsetof(ee_ram, ComReg), 0x00C0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint16_t start : {uint16_t(0x0000), uint16_t(0xFFFF)}) {
            EE.ram.Option = start;
            EE.ram.ComReg = start;
            EXPECT_EQ(c.update(c.text), c.index);
            const uint16_t w = wordAt(c.word);
            EXPECT_EQ(fieldGet(w, c.mask), unsigned(c.index));
            EXPECT_EQ(w & ~c.mask & 0xFFFF, start & ~c.mask & 0xFFFF);
            // A text of no entry changes nothing and answers the list length.
            EXPECT_EQ(c.update("9 - nowhere"), 4);
            EXPECT_EQ(wordAt(c.word), w);
        }
    }
}

TEST_F(BoardChoices, DisplayQuantityInLowNibble) {
    EE.ram.Display_gra[5] = 0xA0;
    EXPECT_EQ(upd_Display_gra("C - Daily Energy (kWh/10)", 5), 12);
    EXPECT_EQ(+EE.ram.Display_gra[5], 0xAC);
    EXPECT_EQ(upd_Display_gra("7 - Cell Temp (\xB0"
                              "C/10)",
                              5),
              7);
    EXPECT_EQ(+EE.ram.Display_gra[5], 0xA7);
    EXPECT_EQ(upd_Display_gra("nothing", 5), 16);
    EXPECT_EQ(+EE.ram.Display_gra[5], 0xA7);
    EXPECT_EQ(+EE.ram.Display_gra[4], 0);
    EXPECT_EQ(+EE.ram.Display_gra[6], 0);
}

TEST_F(BoardChoices, SourceNeedsItsDisplayPort) {
    const struct {
        const char* text;
        uint8_t display3, display0;
        int stored;
        const char* warning;  // "" when accepted
    } cases[] = {
        {"3 - RS232 (Com3)", 0xF0, 0x01, 0, "Warning, Display 3 is not enabled !"},
        {"3 - RS232 (Com3)", 0x02, 0x00, 3, ""},
        {"4 - RS485 (Com0)", 0x02, 0xF0, 0, "Warning, Display 0 is not enabled !"},
        {"4 - RS485 (Com0)", 0x00, 0x01, 4, ""},
        {"1 - RS485 (ComB)", 0x00, 0x00, 1, ""},
        {"2 - Wireless", 0x00, 0x00, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ui.messages.clear();
        EE.ram.Option = 0xFFFE;  // source 6 before, other bits set
        EE.ram.Display_gra[3] = c.display3;
        EE.ram.Display_gra[0] = c.display0;
        EXPECT_EQ(upd_Option_sorg(nullptr, c.text), c.stored);
        EXPECT_EQ(+EE.ram.Option, uint16_t(0xFFF8 | c.stored));
        if (*c.warning) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.warning);
            EXPECT_EQ(ui.messages[0].caption, "Setup Error");
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST_F(BoardChoices, ControlsEachSourceNeeds) {
    const struct {
        int source;
        SourceControls on;
    } cases[] = {{0, {false, false, false, false, false}}, {1, {true, true, true, true, true}},
                 {2, {true, false, false, true, true}},    {3, {false, true, true, true, true}},
                 {4, {false, true, true, true, true}},     {7, {false, true, true, true, true}}};
    for (const auto& c : cases) {
        const SourceControls s = enable_cntr_sdati(c.source);
        EXPECT_EQ(s.baudRate, c.on.baudRate) << c.source;
        EXPECT_EQ(s.protocol, c.on.protocol) << c.source;
        EXPECT_EQ(s.inverters, c.on.inverters) << c.source;
        EXPECT_EQ(s.startAddress, c.on.startAddress) << c.source;
        EXPECT_EQ(s.inverterAlarm, c.on.inverterAlarm) << c.source;
    }
}

TEST_F(BoardChoices, ListSizes) {
    const struct {
        const ChoiceList* list;
        int count;
        const char* last;
    } cases[] = {{&Lista_Sorgenti_dati, 5, "4 - RS485 (Com0)"},
                 {&Lista_Sorgenti_datim, 4, "3 - ComA"},
                 {&Lista_nodeadd, 4, "3 - 251"},
                 {&Lista_Baud_Rate, 4, "3 - 57600"},
                 {&Lista_Protocolli, 4, "PROTO_3"},
                 {&Lista_allarme_etag, 4, "3 - <80%"},
                 {&Lista_allarme_inv, 4, "3 - <80%"},
                 {&Lista_Grandezze_Display, 16, "F -"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.list->count, c.count);
        EXPECT_STREQ((*c.list)[c.count - 1], c.last);
        EXPECT_STREQ((*c.list)[c.count], "");
    }
}

}  // namespace
