#include "boards/board_settings.h"

#include <cctype>
#include <cstring>
#include <optional>

#include "boards/board_choices.h"
#include "boards/board_params.h"
#include "boards/phone_number.h"
#include "state/flags.h"

namespace vx::boards {
namespace {

enum class Kind { Number, Phone, Choice, Check, AuxWireless };

struct Rule {
    BoardSetting setting;
    Kind kind;
    int param = 0;                     // Number: the Parcfg entry
    const ChoiceList* list = nullptr;  // Choice
    int (*update)(const std::string&) = nullptr;
    int display = -1;  // Choice of a display's quantity
    uint16_t bit = 0;  // Check: the Option bit
};

constexpr int kOption = offsetof(ee_ram, Option), kComReg = offsetof(ee_ram, ComReg);

int updSource(const std::string& text) {
    return upd_Option_sorg(nullptr, text);  // refusals are checked before
}

std::vector<Rule> makeRules() {
    std::vector<Rule> r = {
        {{"address", "1...254 (the NOD85: its destination address)", offsetof(ee_ram, MYadd), 2},
         Kind::Number,
         1},
        {{"tca", "data sampling time, 1...65535 s", offsetof(ee_ram, TCA), 2}, Kind::Number, 2},
        {{"ntca", "decimation, 1...65535", offsetof(ee_ram, NTCA), 2}, Kind::Number, 3},
        {{"tcm", "mean sampling time, 1...65535 s", offsetof(ee_ram, TCM), 2}, Kind::Number, 4},
        {{"ki", "10...99990 Imp/kWh", offsetof(ee_ram, Ki), 2}, Kind::Number, 5},
        {{"kco2", "0.10...0.90 kg/kWh", offsetof(ee_ram, Kco2), 1}, Kind::Number, 6},
        {{"keur", "0.10...0.90 euro/kWh", offsetof(ee_ram, Keur), 1}, Kind::Number, 7},
        {{"pnom", "nominal power, 1000...5000000 Wp", offsetof(ee_ram, Pnom), 4}, Kind::Number, 8},
        {{"inverters", "number of inverters, 0...254", offsetof(ee_ram, ComReg2), 1}, Kind::Number, 9},
        {{"first-inverter", "starting address, 1...254", offsetof(ee_ram, ComReg2) + 1, 1}, Kind::Number, 10},
        {{"aux-address", "aux wireless address, 0...254 (0: off)", kComReg + 1, 1}, Kind::Number, 11},
        {{"phone", "SMS phone number, up to 16 digits and '+'", offsetof(ee_ram, N_telefono), 8},
         Kind::Phone},
        {{"source", "power/energy data source, 0...4", kOption, 1},
         Kind::Choice,
         0,
         &Lista_Sorgenti_dati,
         updSource},
        {{"baud-rate", "0...3 (9600, 19200, 38400, 57600)", kComReg, 1},
         Kind::Choice,
         0,
         &Lista_Baud_Rate,
         upd_ComReg_BaudRate},
        {{"protocol", "0...3 (PROTO_0...PROTO_3)", kComReg, 1},
         Kind::Choice,
         0,
         &Lista_Protocolli,
         upd_ComReg_Proto},
        {{"inverter-alarm", "0...3 (OFF, <50%, <65%, <80%)", kOption, 1},
         Kind::Choice,
         0,
         &Lista_allarme_inv,
         upd_Option_alainv},
        {{"efficiency-alarm", "0...3 (OFF, <50%, <65%, <80%)", kOption, 1},
         Kind::Choice,
         0,
         &Lista_allarme_etag,
         upd_Option_alaetag},
        {{"meteo-source", "0...3 (OFF, RS485 (ComB), Wireless, ComA)", kOption + 1, 1},
         Kind::Choice,
         0,
         &Lista_Sorgenti_datim,
         upd_Option_sorgm},
        {{"meteo-address", "0...3 (11, 33, 65, 251)", kOption + 1, 1},
         Kind::Choice,
         0,
         &Lista_nodeadd,
         upd_Option_nodeadd},
        {{"aux-alarm", "on/off", kOption + 1, 1}, Kind::Check, 0, nullptr, nullptr, -1, EE_OPT_ALAUX},
        {{"display-auto-off", "on/off", kOption, 1}, Kind::Check, 0, nullptr, nullptr, -1, EE_OPT_AUTOOFF},
        {{"energy-div100", "on/off", kOption + 1, 1}, Kind::Check, 0, nullptr, nullptr, -1, EE_OPT_ENERGY100},
        {{"aux-wireless", "on/off (on: aux address 250 unless set)", kComReg + 1, 1}, Kind::AuxWireless},
    };
    static const char* const kDisplayNames[8] = {"display0", "display1", "display2", "display3",
                                                 "display4", "display5", "display6", "display7"};
    for (int i = 0; i < 8; ++i)
        r.push_back(
            {{kDisplayNames[i], "quantity shown, 0...F (0: off)", int(offsetof(ee_ram, Display_gra)) + i, 1},
             Kind::Choice,
             0,
             &Lista_Grandezze_Display,
             nullptr,
             i});
    return r;
}

const std::vector<Rule>& rules() {
    static const std::vector<Rule> r = makeRules();
    return r;
}

const Rule* ruleNamed(const std::string& name) {
    for (const Rule& r : rules())
        if (name == r.setting.name) return &r;
    return nullptr;
}

// EE holds `image` for as long as this lives: the shared conversions read EE.
class ImageInEE {
  public:
    explicit ImageInEE(const ee_buf& image) : saved_(EE) { EE = image; }
    ~ImageInEE() { EE = saved_; }
    ImageInEE(const ImageInEE&) = delete;
    ImageInEE& operator=(const ImageInEE&) = delete;

  private:
    ee_buf saved_;
};

uint16_t word(const ee_buf& image, int offset) {
    return uint16_t(image.buf[offset] | (image.buf[offset + 1] << 8));
}
void setWord(int offset, uint16_t v) {
    EE.buf[offset] = uint8_t(v);
    EE.buf[offset + 1] = uint8_t(v >> 8);
}

// The list entry a value names: its index, its whole text or its text after "N - ".
int choiceNamed(const ChoiceList& list, const std::string& value) {
    for (int i = 0; i < list.count; ++i) {
        const std::string text = list[i];
        const size_t dash = text.find(" - ");
        const std::string key = dash == std::string::npos ? std::string() : text.substr(0, dash);
        if (value == text || (!key.empty() && (value == key || value == text.substr(dash + 3)))) return i;
        if (key.empty() && value == std::to_string(i)) return i;  // the protocols have no number
    }
    if (value.size() == 1 && list.count == 16) {  // the display quantities also in lower case
        const char c = char(std::toupper(static_cast<unsigned char>(value[0])));
        for (int i = 0; i < list.count; ++i)
            if (list[i][0] == c) return i;
    }
    return -1;
}

std::optional<bool> onOff(const std::string& v) {
    if (v == "on" || v == "1" || v == "yes") return true;
    if (v == "off" || v == "0" || v == "no") return false;
    return std::nullopt;
}

// The index of a choice setting in EE.
int choiceValue(const Rule& r, const ee_buf& image) {
    if (r.display >= 0) return image.ram.Display_gra[r.display] & 0x0F;
    const uint16_t option = word(image, kOption), comReg = word(image, kComReg);
    if (r.list == &Lista_Sorgenti_dati) return option & EE_OPT_SOURCE;
    if (r.list == &Lista_Baud_Rate) return (comReg >> 6) & 3;
    if (r.list == &Lista_Protocolli) return comReg & 0x0F;
    if (r.list == &Lista_allarme_inv) return (option >> 6) & 3;
    if (r.list == &Lista_allarme_etag) return (option >> 4) & 3;
    if (r.list == &Lista_Sorgenti_datim) return (option >> 8) & 3;
    return (option >> 10) & 3;  // Lista_nodeadd
}

std::string rangeProblem(int param) {
    return vx::ui::format("is out of range (%g ... %g)", double(Parcfg[param].val_min),
                          double(Parcfg[param].val_max));
}

// The display a data source comes in through: source 3 through display 3, source 4 through
// display 0.
int sourcePort(int source) {
    return source == 3 ? 3 : source == 4 ? 0 : -1;
}

}  // namespace

const std::vector<BoardSetting>& boardSettings() {
    static const std::vector<BoardSetting> s = [] {
        std::vector<BoardSetting> v;
        for (const Rule& r : rules())
            v.push_back(r.setting);
        return v;
    }();
    return s;
}

std::string applyBoardSetting(vx::ui::WindowHandle, const std::string& name, const std::string& value) {
    const Rule* r = ruleNamed(name);
    if (!r) return "unknown parameter " + name;
    const std::string what = name + "=" + value + ": ";
    switch (r->kind) {
        case Kind::Number: {
            initParcfg();
            std::string text = value;
            if (text.size() > size_t(Parcfg[r->param].n_dec))
                return what + vx::ui::format("at most %d characters", int(Parcfg[r->param].n_dec));
            if (text.empty() || text.find_first_not_of("0123456789.-") != std::string::npos)
                return what + "not a number";
            if (editParameter(r->param, text) != 1) return what + rangeProblem(r->param);
            return {};
        }
        case Kind::Phone: {
            char text[64] = {};
            if (value.size() > 16) return what + "at most 16 characters";
            std::strncpy(text, value.c_str(), sizeof text - 1);
            if (!acceptPhoneText(text)) return what + "only digits and '+'";
            zip_Ntel(text);
            return {};
        }
        case Kind::Choice: {
            const int i = choiceNamed(*r->list, value);
            if (i < 0) return what + "not one of " + r->setting.values;
            if (r->display >= 0) {
                upd_Display_gra((*r->list)[i], r->display);
                return {};
            }
            if (r->list == &Lista_Sorgenti_dati)
                if (const int port = sourcePort(i); port >= 0 && (EE.ram.Display_gra[port] & 0x0F) == 0)
                    return vx::ui::format("Warning, Display %d is not enabled !", port);
            r->update((*r->list)[i]);
            return {};
        }
        case Kind::Check: {
            const auto on = onOff(value);
            if (!on) return what + "on or off";
            const uint16_t option = word(EE, kOption);
            setWord(kOption, *on ? uint16_t(option | r->bit) : uint16_t(option & ~r->bit));
            return {};
        }
        case Kind::AuxWireless: {
            const auto on = onOff(value);
            if (!on) return what + "on or off";
            setWord(kOption, uint16_t(word(EE, kOption) & ~EE_OPT_AUXWIRELESS));
            uint8_t& aux = EE.buf[kComReg + 1];
            aux = *on ? (aux == 0 ? 250 : aux) : 0;
            return {};
        }
    }
    return {};
}

std::string boardSettingText(const BoardSetting& s, const ee_buf& image) {
    const Rule* r = ruleNamed(s.name);
    if (!r) return {};
    switch (r->kind) {
        case Kind::Number: {
            initParcfg();
            return parameterText(r->param, image);
        }
        case Kind::Phone: {
            const ImageInEE in(image);
            char text[17];
            unzip_Ntel(text);
            return text;
        }
        case Kind::Choice: {
            const int i = choiceValue(*r, image);
            return i < r->list->count ? std::string((*r->list)[i]) : vx::ui::format("? (%d)", i);
        }
        case Kind::Check:
            return (word(image, kOption) & r->bit) ? "on" : "off";
        case Kind::AuxWireless:
            return image.buf[kComReg + 1] ? "on" : "off";
    }
    return {};
}

std::vector<std::string> boardChanges(const ee_buf& before, const ee_buf& after) {
    std::vector<std::string> lines;
    bool explained[EE_SIZE] = {};
    for (const BoardSetting& s : boardSettings()) {
        const std::string was = boardSettingText(s, before), now = boardSettingText(s, after);
        if (was == now) continue;
        lines.push_back(std::string(s.name) + ": " + was + " -> " + now);
        for (int k = s.offset; k < s.offset + s.bytes; ++k)
            explained[k] = true;
    }
    for (int k = 0; k < EE_SIZE; ++k)
        if (before.buf[k] != after.buf[k] && !explained[k])
            lines.push_back(
                vx::ui::format("byte %d: %02X -> %02X", k, unsigned(before.buf[k]), unsigned(after.buf[k])));
    return lines;
}

std::string checkBoardImage(const ee_buf& image) {
    const ImageInEE in(image);
    initParcfg();
    valuesFromImage();
    for (const Rule& r : rules()) {
        if (r.kind != Kind::Number) continue;
        // The check stores the rounded value back; compare on a copy of the image.
        const ee_buf kept = EE;
        const bool ok = testValue(r.param) == 1;
        EE = kept;
        if (!ok)
            return std::string(r.setting.name) + "=" + parameterText(r.param) + ": " + rangeProblem(r.param);
    }
    const int source = word(image, kOption) & EE_OPT_SOURCE;
    if (const int port = sourcePort(source); port >= 0 && (image.ram.Display_gra[port] & 0x0F) == 0)
        return vx::ui::format("Warning, Display %d is not enabled !", port);
    return {};
}

}  // namespace vx::boards
