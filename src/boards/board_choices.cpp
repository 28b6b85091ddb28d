#include "boards/board_choices.h"

#include <cstddef>
#include <cstring>

#include <iterator>

#include "boards/board_image.h"

namespace {

const char* const kSorgenti[] = {"0 - Impulso SO", "1 - RS485 (ComB)", "2 - Wireless", "3 - RS232 (Com3)",
                                 "4 - RS485 (Com0)"};
const char* const kSorgentim[] = {"0 - OFF", "1 - RS485 (ComB)", "2 - Wireless", "3 - ComA"};
const char* const kNodeadd[] = {"0 - 11", "1 - 33", "2 - 65", "3 - 251"};
const char* const kBaud[] = {"0 - 9600", "1 - 19200", "2 - 38400", "3 - 57600"};
const char* const kProto[] = {"PROTO_0", "PROTO_1", "PROTO_2", "PROTO_3"};
const char* const kAlarm[] = {"0 - OFF", "1 - <50%", "2 - <65%", "3 - <80%"};
// The degree sign is the program's single-byte 0xB0, written \260: an octal escape ends after
// three digits, a hex one would swallow the C after it.
const char* const kDisplay[] = {"0 - OFF",
                                "1 - Active Power (kW/100)",
                                "2 - Active Energy (kWh)",
                                "3 - CO2 avoided (kg)",
                                "4 - Income (eur)",
                                "5 - Days of production",
                                "6 - Irradiance (W/m2)",
                                "7 - Cell Temp (\260C/10)",
                                "8 - Air Temp (\260C/10)",
                                "9 - Overall efficiency (%)",
                                "A - Equiv. oil barrels (BOE/10)",
                                "B - Equiv. oil ton (TOE/10)",
                                "C - Daily Energy (kWh/10)",
                                "D - Aux Power (kW/100)",
                                "E - Daily Max Power (kW/100)",
                                "F -"};

template <size_t N>
constexpr ChoiceList list(const char* const (&a)[N]) {
    return {a, int(N)};
}

// Stores the index of text into a field of the 16-bit word at byte `offset` of the image.
// The word is copied out and back: a packed member is not aligned, so it cannot be reached
// through a pointer or a reference.
int update(size_t offset, uint16_t mask, const ChoiceList& l, const std::string& text) {
    const int i = choiceIndex(l, text);
    if (i < l.count) {
        uint16_t word;
        std::memcpy(&word, EE.buf + offset, sizeof word);
        word = fieldSet(word, mask, unsigned(i));
        std::memcpy(EE.buf + offset, &word, sizeof word);
    }
    return i;
}

}  // namespace

const ChoiceList Lista_Sorgenti_dati = list(kSorgenti);
const ChoiceList Lista_Sorgenti_datim = list(kSorgentim);
const ChoiceList Lista_nodeadd = list(kNodeadd);
const ChoiceList Lista_Baud_Rate = list(kBaud);
const ChoiceList Lista_Protocolli = list(kProto);
const ChoiceList Lista_allarme_etag = list(kAlarm);
const ChoiceList Lista_allarme_inv = list(kAlarm);
const ChoiceList Lista_Grandezze_Display = list(kDisplay);

int choiceIndex(const ChoiceList& l, const std::string& text) {
    for (int i = 0; i < l.count; ++i)
        if (text == l.items[i]) return i;
    return l.count;
}

int upd_Display_gra(const std::string& text, int ndisplay) {
    const int i = choiceIndex(Lista_Grandezze_Display, text);
    if (ndisplay < 0 || ndisplay > 7) return i;
    if (i < Lista_Grandezze_Display.count) {
        uint8_t& d = EE.ram.Display_gra[ndisplay];
        d = uint8_t((d & 0xF0) | i);
    }
    return i;
}

int upd_Option_alaetag(const std::string& text) {
    return update(offsetof(ee_ram, Option), EE_OPT_ALAETAG, Lista_allarme_etag, text);
}
int upd_Option_alainv(const std::string& text) {
    return update(offsetof(ee_ram, Option), EE_OPT_ALAINV, Lista_allarme_inv, text);
}
int upd_Option_sorgm(const std::string& text) {
    return update(offsetof(ee_ram, Option), EE_OPT_SMETEO, Lista_Sorgenti_datim, text);
}
int upd_Option_nodeadd(const std::string& text) {
    return update(offsetof(ee_ram, Option), EE_OPT_NODEADD, Lista_nodeadd, text);
}
int upd_ComReg_Proto(const std::string& text) {
    return update(offsetof(ee_ram, ComReg), EE_COM_PROTO, Lista_Protocolli, text);
}
int upd_ComReg_BaudRate(const std::string& text) {
    return update(offsetof(ee_ram, ComReg), EE_COM_BAUD, Lista_Baud_Rate, text);
}

int upd_Option_sorg(vx::ui::WindowHandle owner, const std::string& text) {
    int i = choiceIndex(Lista_Sorgenti_dati, text);
    // Sources 3 and 4 come in through the serial port of display 3 or display 0.
    const int port = i == 3 ? 3 : i == 4 ? 0 : -1;
    if (port >= 0 && (EE.ram.Display_gra[port] & 0x0F) == 0) {
        vx::ui::message(owner, vx::ui::format("Warning, Display %d is not enabled !", port), "Setup Error",
                        vx::ui::Icon::Error);
        i = 0;
    }
    if (i < Lista_Sorgenti_dati.count) EE.ram.Option = fieldSet(EE.ram.Option, EE_OPT_SOURCE, unsigned(i));
    return i;
}

SourceControls enable_cntr_sdati(int source) {
    switch (source) {
        case 0:
            return {false, false, false, false, false};
        case 1:
            return {true, true, true, true, true};
        case 2:
            return {true, false, false, true, true};
        default:
            return {false, true, true, true, true};
    }
}
