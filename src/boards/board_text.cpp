#include "boards/board_text.h"

#include <cstring>

#include "boards/board_choices.h"
#include "boards/phone_number.h"
#include "ui/backend.h"

namespace vx::boards {

namespace {

// A list text without its "N - " (shorter texts leave nothing).
std::string withoutValue(const ChoiceList& list, unsigned index) {
    if (index >= unsigned(list.count)) return vx::ui::format("? (%u)", index);
    const char* t = list[int(index)];
    return std::strlen(t) > 4 ? std::string(t + 4) : std::string();
}

std::string whole(const ChoiceList& list, unsigned index) {
    if (index >= unsigned(list.count)) return vx::ui::format("? (%u)", index);
    return list[int(index)];
}

std::string phoneNumber(const ee_buf& image) {
    std::string s;
    for (uint8_t b : image.ram.N_telefono)
        for (uint8_t n : {uint8_t(b >> 4), uint8_t(b & 0x0F)}) {
            const char c = char_unzip(n);
            if (!c) return s;
            s += c;
        }
    return s;
}

const char* onOff(bool on) {
    return on ? "ENABLED" : "OFF";
}

}  // namespace

std::string boardTextDescription(const ee_buf& image) {
    using vx::ui::format;
    const ee_ram& e = image.ram;
    const unsigned option = e.Option, comReg = e.ComReg, comReg2 = e.ComReg2;
    std::string t;
    t += format("Potenza nominale impianto FV: %u Wp\r\n", unsigned(e.Pnom));
    t += format("Tempo di acquisizione dati: %u s\r\n", unsigned(e.TCA));
    t += format("Tempo di acquisizione medie in memoria: %u s\r\n", unsigned(e.TCM));
    t += format("Decimazione medie: 1 valore ogni %u dati acquisiti\r\n", unsigned(e.NTCA));
    t += format("Coefficiente Ki: %u Imp/kWh\r\n", unsigned(e.Ki) * 10u);
    t += format("Coefficiente Kco2: %.2f kg/kWh\r\n", double(float(e.Kco2) / 100.0f));
    t += format("Coefficiente Keur: %.2f euro/kWh\r\n", double(float(e.Keur) / 100.0f));
    t += format("Indirizzo scheda VT71a: %u\r\n", unsigned(e.MYadd));
    t += format("Numero di telefono per invio SMS: %s\r\n", phoneNumber(image).c_str());
    t += format("Allarme rendimento globale: %s\r\n\r\n",
                withoutValue(Lista_allarme_etag, fieldGet(option, EE_OPT_ALAETAG)).c_str());
    t += format("Sorgente dati elettrici: %s\r\n",
                withoutValue(Lista_Sorgenti_dati, fieldGet(option, EE_OPT_SOURCE)).c_str());
    t += format("Baud rate: %s\r\n", withoutValue(Lista_Baud_Rate, fieldGet(comReg, EE_COM_BAUD)).c_str());
    t += format("Protocollo: %s\r\n", whole(Lista_Protocolli, fieldGet(comReg, EE_COM_PROTO)).c_str());
    t += format("Numero di inverter gestiti: %u\r\n", comReg2 & 0xFFu);
    t += format("Indirizzo del primo inverter: %u\r\n", comReg2 >> 8);
    t += format("Allarme inverter: %s\r\n\r\n",
                withoutValue(Lista_allarme_inv, fieldGet(option, EE_OPT_ALAINV)).c_str());
    t += format("Sorgente dati meteo: %s\r\n",
                withoutValue(Lista_Sorgenti_datim, fieldGet(option, EE_OPT_SMETEO)).c_str());
    t += format("Indirizzo stazione meteo: %s\r\n\r\n",
                withoutValue(Lista_nodeadd, fieldGet(option, EE_OPT_NODEADD)).c_str());
    const unsigned aux = fieldGet(comReg, EE_COM_AUXADDR);
    const std::string auxText = aux != 0 ? format("%s (%u)", "ENABLED", aux) : std::string("OFF");
    t += format("Funzione di ricezione dati wireless aux: %s\r\n", auxText.c_str());
    t += format("Funzione di auto-spengimento display: %s\r\n", onOff(option & EE_OPT_AUTOOFF));
    t += format("Funzione Energia = Energia/100: %s\r\n\r\n", onOff(option & EE_OPT_ENERGY100));
    for (int d = 7; d >= 0; --d)
        t += format("Grandezza visualizzata su display %d: %s\r\n", d,
                    withoutValue(Lista_Grandezze_Display, e.Display_gra[d] & 0x0Fu).c_str());
    return t;
}

}  // namespace vx::boards
