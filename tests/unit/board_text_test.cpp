// The board image as the text description window shows it.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "boards/board_image.h"
#include "boards/board_text.h"

namespace {

using vx::boards::boardTextDescription;

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
    e.ram.ComReg = 0x0000 | (1u << 6) | 2u;  // 19200 baud, PROTO_2, aux off
    e.ram.ComReg2 = 0x0503;                  // 3 inverters from address 5
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
    EXPECT_EQ(linesOf(boardTextDescription(plant())), want);
}

// One field changed from the plant set-up, and the line it shows.
struct Case {
    const char* what;
    std::function<void(ee_buf&)> change;
    size_t line;
    std::string want;
};

TEST(BoardText, FieldsReachTheirLines) {
    const std::vector<Case> cases = {
        {"aux address", [](ee_buf& e) { e.ram.ComReg = uint16_t(e.ram.ComReg | 250u << 8); }, 21,
         "Funzione di ricezione dati wireless aux: ENABLED (250)"},
        {"auto-off bit 3", [](ee_buf& e) { e.ram.Option |= 0x0008; }, 22,
         "Funzione di auto-spengimento display: ENABLED"},
        {"energy/100 bit 13", [](ee_buf& e) { e.ram.Option |= 0x2000; }, 23,
         "Funzione Energia = Energia/100: ENABLED"},
        {"other option bits leave auto-off", [](ee_buf& e) { e.ram.Option |= 0xD7F7; }, 22,
         "Funzione di auto-spengimento display: OFF"},
        {"Kco2 small", [](ee_buf& e) { e.ram.Kco2 = 5; }, 5, "Coefficiente Kco2: 0.05 kg/kWh"},
        {"Keur max byte", [](ee_buf& e) { e.ram.Keur = 255; }, 6, "Coefficiente Keur: 2.55 euro/kWh"},
        {"Ki times ten past 16 bits", [](ee_buf& e) { e.ram.Ki = 9999; }, 4,
         "Coefficiente Ki: 99990 Imp/kWh"},
        {"Pnom large", [](ee_buf& e) { e.ram.Pnom = 5000000; }, 0,
         "Potenza nominale impianto FV: 5000000 Wp"},
        {"16-digit phone", [](ee_buf& e) { std::memset(e.ram.N_telefono, 0x12, 8); }, 8,
         "Numero di telefono per invio SMS: 1212121212121212"},
        {"empty phone", [](ee_buf& e) { std::memset(e.ram.N_telefono, 0xFF, 8); }, 8,
         "Numero di telefono per invio SMS: "},
        {"source S0", [](ee_buf& e) { e.ram.Option &= ~0x0007; }, 11, "Sorgente dati elettrici: Impulso SO"},
        {"source without entry", [](ee_buf& e) { e.ram.Option |= 0x0007; }, 11,
         "Sorgente dati elettrici: ? (7)"},
        {"protocol without entry", [](ee_buf& e) { e.ram.ComReg |= 0x000F; }, 13, "Protocollo: ? (15)"},
        {"baud rate 57600", [](ee_buf& e) { e.ram.ComReg |= 0x00C0; }, 12, "Baud rate: 57600"},
        {"station 251", [](ee_buf& e) { e.ram.Option |= 0x0C00; }, 19, "Indirizzo stazione meteo: 251"},
        {"meteo off", [](ee_buf& e) { e.ram.Option &= ~0x0300; }, 18, "Sorgente dati meteo: OFF"},
        {"display quantity F", [](ee_buf& e) { e.ram.Display_gra[7] = 0x0F; }, 25,
         "Grandezza visualizzata su display 7: "},
        {"display 0 high nibble ignored", [](ee_buf& e) { e.ram.Display_gra[0] = 0xF9; }, 32,
         "Grandezza visualizzata su display 0: Overall efficiency (%)"},
        {"inverters byte order", [](ee_buf& e) { e.ram.ComReg2 = 0xFE01; }, 15,
         "Indirizzo del primo inverter: 254"},
        {"MYadd 16 bits", [](ee_buf& e) { e.ram.MYadd = 65535; }, 7, "Indirizzo scheda VT71a: 65535"},
    };
    for (const Case& c : cases) {
        ee_buf e = plant();
        c.change(e);
        const auto lines = linesOf(boardTextDescription(e));
        ASSERT_EQ(lines.size(), 33u) << c.what;
        EXPECT_EQ(lines[c.line], c.want) << c.what;
    }
}

}  // namespace
