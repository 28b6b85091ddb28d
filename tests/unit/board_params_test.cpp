// The board's set-up as the configuration dialog edits it: the numeric parameters (range
// checks, rounding into the image, the NOD85 address, values and texts taken back), the
// combo choices stored in their bits, and the image as the text description shows it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "boards/board_choices.h"
#include "boards/board_image.h"
#include "boards/board_params.h"
#include "boards/board_text.h"
#include "state/flags.h"
#include "support/fixtures.h"

namespace {

class BoardParams : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        resetBoardImage();
        std::memset(Parcfg, 0, sizeof Parcfg);
        Flag.NOD85 = 0;
        initParcfg();
        // Every byte marked, so a test sees which ones a store changed.
        for (int k = 0; k < EE_SIZE; ++k)
            EE.buf[k] = uint8_t(0xA0 + k);
    }
    void TearDown() override {
        Flag.NOD85 = 0;
        ProgramTest::TearDown();
    }
    std::vector<uint8_t> image() const { return {EE.buf, EE.buf + EE_SIZE}; }
};

TEST_F(BoardParams, TestValueChecksRangeAndStoresRoundedTiesToEven) {
    const struct {
        const char* what;
        int index;
        float val;
        int nod85, ok;
        std::vector<std::pair<int, uint8_t>> changed;  // image bytes that must change, and to what
    } cases[] = {
        {"address", 1, 17, 0, 1, {{1, 17}, {2, 0}}},
        {"address 0", 1, 0, 0, 0, {}},
        {"address 255", 1, 255, 0, 0, {}},
        {"NOD85 address in Option2 only", 1, 7, 1, 1, {{23, 7}}},
        {"NOD85 address out of range", 1, 0, 1, 0, {}},
        {"TCA tie to even down", 2, 2.5f, 0, 1, {{3, 2}, {4, 0}}},
        {"TCA tie to even up", 2, 3.5f, 0, 1, {{3, 4}, {4, 0}}},
        {"TCA largest", 2, 65535, 0, 1, {{3, 0xFF}, {4, 0xFF}}},
        {"TCA too large", 2, 65536, 0, 0, {}},
        {"NTCA 0", 3, 0, 0, 0, {}},
        {"TCM", 4, 900, 0, 1, {{7, 0x84}, {8, 0x03}}},
        {"Ki 0", 5, 0, 0, 0, {}},
        {"Ki 1000 stored /10", 5, 1000, 0, 1, {{9, 100}, {10, 0}}},
        {"Ki 15 tie to even up", 5, 15, 0, 1, {{9, 2}, {10, 0}}},
        {"Ki 25 tie to even down", 5, 25, 0, 1, {{9, 2}, {10, 0}}},
        {"Ki largest", 5, 99990, 0, 1, {{9, 0x0F}, {10, 0x27}}},
        {"Kco2 0.45", 6, 0.45f, 0, 1, {{11, 45}}},
        {"Kco2 0.9", 6, 0.9f, 0, 1, {{11, 90}}},
        {"Kco2 0.91", 6, 0.91f, 0, 0, {}},
        {"Keur 0.1", 7, 0.1f, 0, 1, {{12, 10}}},
        {"Keur 0.09", 7, 0.09f, 0, 0, {}},
        {"Pnom", 8, 5000000, 0, 1, {{13, 0x40}, {14, 0x4B}, {15, 0x4C}, {16, 0x00}}},
        {"Pnom too small", 8, 999, 0, 0, {}},
        {"inverters, high byte kept", 9, 0, 0, 1, {{19, 0}}},
        {"first inverter, low byte kept", 10, 254, 0, 1, {{20, 254}}},
        {"first inverter 0", 10, 0, 0, 0, {}},
        {"aux node, low byte kept", 11, 250, 0, 1, {{18, 250}}},
        {"not a number", 2, std::nanf(""), 0, 0, {}},
        {"entry 0 always passes", 0, -5, 0, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Flag.NOD85 = c.nod85;
        std::vector<uint8_t> want = image();
        for (auto [at, v] : c.changed)
            want[at] = v;
        Parcfg[c.index].val = c.val;
        EXPECT_EQ(testValue(c.index), c.ok);
        EXPECT_EQ(Parcfg[c.index].val_err, c.ok ? 0 : 1);
        EXPECT_EQ(image(), want);
    }
}

TEST_F(BoardParams, ValuesAndTextsComeFromTheImage) {
    EE.ram.MYadd = 12;
    EE.ram.Option2 = 0x3407;
    EE.ram.TCA = 60;
    EE.ram.Ki = 0;
    EE.ram.Kco2 = 45;
    EE.ram.Keur = 5;
    EE.ram.Pnom = 19800;
    EE.ram.ComReg2 = 0x0102;
    EE.ram.ComReg = 0xFA13;
    // Index, NOD85, and the value and text taken from the image.
    const std::tuple<int, int, float, const char*> cases[] = {
        {1, 0, 12, "12"},      {1, 1, 7, "7"},        {2, 0, 60, "60"},       {5, 0, 0, "0"},
        {6, 0, 0.45f, "0.45"}, {7, 0, 0.05f, "0.05"}, {8, 0, 19800, "19800"}, {9, 0, 2, "2"},
        {10, 0, 1, "1"},       {11, 0, 250, "250"}};
    for (auto [index, nod85, val, text] : cases) {
        Flag.NOD85 = nod85;
        valuesFromImage();
        EXPECT_FLOAT_EQ(Parcfg[index].val, val) << index << " nod85 " << nod85;
        EXPECT_EQ(parameterText(index), text) << index << " nod85 " << nod85;
    }
    // Checked back as the dialog does on opening: Ki 0 is flagged and kept, 0.45 goes back as 45.
    Flag.NOD85 = 0;
    valuesFromImage();
    for (int i = 0; i < PARCFG_N; ++i)
        testValue(i);
    EXPECT_EQ(Parcfg[5].val_err, 1);
    EXPECT_EQ(+EE.ram.Ki, 0);
    EXPECT_EQ(Parcfg[6].val_err, 0);
    EXPECT_EQ(+EE.ram.Kco2, 45);
}

TEST_F(BoardParams, EditCutsToWidthAndReadsWithoutLocale) {
    // Control, index, text typed, text kept, accepted, value.
    const std::tuple<int32_t, int, std::string, std::string, int, float> cases[] = {
        {ID_EDT_VT71_KI, 5, "123456", "12345", 1, 12345},
        {ID_EDT_VT71_KCO2, 6, "0.455", "0.45", 1, 0.45f},
        {ID_EDT_VT71_KCO2, 6, "0,45", "0,45", 0, 0},  // a comma is not a decimal point
        {ID_EDT_VT71_MYADD, 1, "abc", "abc", 0, 0},
        {ID_EDT_VT71_MYADD, 1, "1234", "123", 1, 123},
        {ID_EDT_VT71_PNOM, 8, "12345678", "1234567", 1, 1234567},
        {ID_EDT_VT71_PNOM, 8, " 2000", " 2000", 1, 2000},
        {ID_EDT_VT71_TCA, 2, "+60", "+60", 1, 60},
        {ID_EDT_VT71_ADDAUX, 11, "0", "0", 1, 0}};
    for (const auto& [control, index, typed, kept, ok, val] : cases) {
        SCOPED_TRACE(typed);
        ASSERT_EQ(parameterIndexOf(control), index);
        std::string text = typed;
        EXPECT_EQ(editParameter(index, text), ok);
        EXPECT_EQ(text, kept);
        EXPECT_FLOAT_EQ(Parcfg[index].val, val);
    }
    EXPECT_EQ(parameterIndexOf(ID_EDT_VT71_NTEL), 0);
}

// A 16-bit word of the image, copied out (packed members are not aligned).
uint16_t wordAt(size_t offset) {
    uint16_t w;
    std::memcpy(&w, EE.buf + offset, sizeof w);
    return w;
}

TEST_F(BoardParams, EachChoiceWritesOnlyItsBits) {
    constexpr size_t option = offsetof(ee_ram, Option), comReg = offsetof(ee_ram, ComReg);
    const std::tuple<int (*)(const std::string&), const char*, int, size_t, uint16_t> cases[] = {
        {upd_Option_alaetag, "2 - <65%", 2, option, 0x0030},
        {upd_Option_alainv, "3 - <80%", 3, option, 0x00C0},
        {upd_Option_sorgm, "3 - ComA", 3, option, 0x0300},
        {upd_Option_nodeadd, "1 - 33", 1, option, 0x0C00},
        {upd_ComReg_Proto, "PROTO_2", 2, comReg, 0x000F},
        {upd_ComReg_BaudRate, "3 - 57600", 3, comReg, 0x00C0}};
    for (auto [update, text, index, word, mask] : cases) {
        SCOPED_TRACE(text);
        for (uint16_t start : {uint16_t(0x0000), uint16_t(0xFFFF)}) {
            EE.ram.Option = start;
            EE.ram.ComReg = start;
            EXPECT_EQ(update(text), index);
            const uint16_t w = wordAt(word);
            EXPECT_EQ(fieldGet(w, mask), unsigned(index));
            EXPECT_EQ(w & ~mask & 0xFFFF, start & ~mask & 0xFFFF);
            // A text of no entry changes nothing and answers the list length.
            EXPECT_EQ(update("9 - nowhere"), 4);
            EXPECT_EQ(wordAt(word), w);
        }
    }
    // The display quantity goes to the low nibble of its display's byte, nothing else.
    EE.ram.Display_gra[5] = 0xA0;
    std::vector<uint8_t> want = image();
    want[offsetof(ee_ram, Display_gra) + 5] = 0xA7;
    EXPECT_EQ(upd_Display_gra("C - Daily Energy (kWh/10)", 5), 12);
    EXPECT_EQ(+EE.ram.Display_gra[5], 0xAC);
    EXPECT_EQ(upd_Display_gra("7 - Cell Temp (\260C/10)", 5), 7);
    EXPECT_EQ(upd_Display_gra("nothing", 5), 16);
    EXPECT_EQ(image(), want);
    // The lists' lengths, and nothing past the end.
    const std::pair<const ChoiceList*, int> lists[] = {
        {&Lista_Sorgenti_dati, 5}, {&Lista_Sorgenti_datim, 4}, {&Lista_Grandezze_Display, 16}};
    for (auto [list, count] : lists) {
        EXPECT_EQ(list->count, count);
        EXPECT_STREQ((*list)[count], "");
    }
}

TEST_F(BoardParams, SourceNeedsItsDisplayPort) {
    // Source, display 3 and display 0 bytes, source stored, warning.
    const std::tuple<const char*, uint8_t, uint8_t, int, const char*> cases[] = {
        {"3 - RS232 (Com3)", 0xF0, 0x01, 0, "Warning, Display 3 is not enabled !"},
        {"3 - RS232 (Com3)", 0x02, 0x00, 3, nullptr},
        {"4 - RS485 (Com0)", 0x02, 0xF0, 0, "Warning, Display 0 is not enabled !"},
        {"4 - RS485 (Com0)", 0x00, 0x01, 4, nullptr},
        {"1 - RS485 (ComB)", 0x00, 0x00, 1, nullptr},
        {"2 - Wireless", 0x00, 0x00, 2, nullptr}};
    for (auto [text, display3, display0, stored, warning] : cases) {
        SCOPED_TRACE(text);
        ui.messages.clear();
        EE.ram.Option = 0xFFFE;  // source 6 before, other bits set
        EE.ram.Display_gra[3] = display3;
        EE.ram.Display_gra[0] = display0;
        EXPECT_EQ(upd_Option_sorg(nullptr, text), stored);
        EXPECT_EQ(+EE.ram.Option, uint16_t(0xFFF8 | stored));
        ASSERT_EQ(ui.messages.size(), warning ? 1u : 0u);
        if (warning) {
            EXPECT_EQ(ui.messages[0].text, warning);
            EXPECT_EQ(ui.messages[0].caption, "Setup Error");
        }
    }
    // The controls each source needs: baud rate, protocol, inverters, start address, alarm.
    const std::pair<int, const char*> controls[] = {{0, "00000"}, {1, "11111"}, {2, "10011"},
                                                    {3, "01111"}, {4, "01111"}, {7, "01111"}};
    for (auto [source, on] : controls) {
        const SourceControls c = enable_cntr_sdati(source);
        std::string got;
        for (bool b : {c.baudRate, c.protocol, c.inverters, c.startAddress, c.inverterAlarm})
            got += b ? '1' : '0';
        EXPECT_EQ(got, on) << "source " << source;
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        out.push_back(text.substr(pos, end - pos));
    EXPECT_EQ(pos, text.size()) << "text after the last line end";
    return out;
}

// A set-up as a plant would have it.
ee_buf plant() {
    ee_buf e{};
    e.ram.Token = 0x5A;
    e.ram.MYadd = 12;
    e.ram.TCA = 60;
    e.ram.NTCA = 15;
    e.ram.TCM = 900;
    e.ram.Ki = 100;
    e.ram.Kco2 = 53;
    e.ram.Keur = 40;
    e.ram.Pnom = 19800;
    e.ram.ComReg = (1u << 6) | 2u;  // 19200 baud, PROTO_2, aux off
    e.ram.ComReg2 = 0x0503;         // 3 inverters from address 5
    e.ram.Option = 1u | (2u << 4) | (3u << 6) | (2u << 8) | (1u << 10);
    const uint8_t tel[8] = {0xA3, 0x91, 0x23, 0xF0, 0x77, 0x77, 0x77, 0x77};
    std::memcpy(e.ram.N_telefono, tel, 8);
    const uint8_t gra[8] = {0x01, 0x02, 0x03, 0x14, 0x0A, 0x0C, 0x0E, 0x00};
    std::memcpy(e.ram.Display_gra, gra, 8);
    return e;
}

TEST(BoardText, PlantImageLineByLine) {
    const std::vector<std::string> want = {
        "Potenza nominale impianto FV: 19800 Wp",
        "Tempo di acquisizione dati: 60 s",
        "Tempo di acquisizione medie in memoria: 900 s",
        "Decimazione medie: 1 valore ogni 15 dati acquisiti",
        "Coefficiente Ki: 1000 Imp/kWh",
        "Coefficiente Kco2: 0.53 kg/kWh",
        "Coefficiente Keur: 0.40 euro/kWh",
        "Indirizzo scheda VT71a: 12",
        "Numero di telefono per invio SMS: +39123",
        "Allarme rendimento globale: <65%",
        "",
        "Sorgente dati elettrici: RS485 (ComB)",
        "Baud rate: 19200",
        "Protocollo: PROTO_2",
        "Numero di inverter gestiti: 3",
        "Indirizzo del primo inverter: 5",
        "Allarme inverter: <80%",
        "",
        "Sorgente dati meteo: Wireless",
        "Indirizzo stazione meteo: 33",
        "",
        "Funzione di ricezione dati wireless aux: OFF",
        "Funzione di auto-spengimento display: OFF",
        "Funzione Energia = Energia/100: OFF",
        "",
        "Grandezza visualizzata su display 7: OFF",
        "Grandezza visualizzata su display 6: Daily Max Power (kW/100)",
        "Grandezza visualizzata su display 5: Daily Energy (kWh/10)",
        "Grandezza visualizzata su display 4: Equiv. oil barrels (BOE/10)",
        "Grandezza visualizzata su display 3: Income (eur)",
        "Grandezza visualizzata su display 2: CO2 avoided (kg)",
        "Grandezza visualizzata su display 1: Active Energy (kWh)",
        "Grandezza visualizzata su display 0: Active Power (kW/100)",
    };
    EXPECT_EQ(linesOf(vx::boards::boardTextDescription(plant())), want);
}

TEST(BoardText, FieldsReachTheirLines) {
    // One field changed from the plant set-up, and the line it shows.
    const std::tuple<void (*)(ee_ram&), size_t, const char*> cases[] = {
        {[](ee_ram& r) { r.ComReg = uint16_t(r.ComReg | 250u << 8); }, 21,
         "Funzione di ricezione dati wireless aux: ENABLED (250)"},
        {[](ee_ram& r) { r.Option |= 0x0008; }, 22, "Funzione di auto-spengimento display: ENABLED"},
        {[](ee_ram& r) { r.Option |= 0x2000; }, 23, "Funzione Energia = Energia/100: ENABLED"},
        {[](ee_ram& r) { r.Option |= 0xD7F7; }, 22,
         "Funzione di auto-spengimento display: OFF"},  // other bits
        {[](ee_ram& r) { r.Kco2 = 5; }, 5, "Coefficiente Kco2: 0.05 kg/kWh"},
        {[](ee_ram& r) { r.Keur = 255; }, 6, "Coefficiente Keur: 2.55 euro/kWh"},
        {[](ee_ram& r) { r.Ki = 9999; }, 4, "Coefficiente Ki: 99990 Imp/kWh"},
        {[](ee_ram& r) { std::memset(r.N_telefono, 0x12, 8); }, 8,
         "Numero di telefono per invio SMS: 1212121212121212"},
        {[](ee_ram& r) { std::memset(r.N_telefono, 0xFF, 8); }, 8, "Numero di telefono per invio SMS: "},
        {[](ee_ram& r) { r.Option &= ~0x0007; }, 11, "Sorgente dati elettrici: Impulso SO"},
        {[](ee_ram& r) { r.Option |= 0x0007; }, 11, "Sorgente dati elettrici: ? (7)"},
        {[](ee_ram& r) { r.ComReg |= 0x000F; }, 13, "Protocollo: ? (15)"},
        {[](ee_ram& r) { r.Option |= 0x0C00; }, 19, "Indirizzo stazione meteo: 251"},
        {[](ee_ram& r) { r.Option &= ~0x0300; }, 18, "Sorgente dati meteo: OFF"},
        {[](ee_ram& r) { r.Display_gra[7] = 0x0F; }, 25, "Grandezza visualizzata su display 7: "},
        {[](ee_ram& r) { r.Display_gra[0] = 0xF9; }, 32,
         "Grandezza visualizzata su display 0: Overall efficiency (%)"},
        {[](ee_ram& r) { r.ComReg2 = 0xFE01; }, 15, "Indirizzo del primo inverter: 254"},
        {[](ee_ram& r) { r.MYadd = 65535; }, 7, "Indirizzo scheda VT71a: 65535"},
    };
    for (auto [change, line, want] : cases) {
        ee_buf e = plant();
        change(e.ram);
        const auto lines = linesOf(vx::boards::boardTextDescription(e));
        ASSERT_EQ(lines.size(), 33u) << want;
        EXPECT_EQ(lines[line], want);
    }
}

}  // namespace
