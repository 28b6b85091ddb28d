#include "boards/display_rules.h"

#include <cstdio>
#include <cstdlib>

#include "boards/board_image.h"
#include "ui/input_dialogs.h"

namespace {

const char* const kColours[] = {"0 - DEFAULT", "1 - GREEN", "2 - RED", "3 - ORANGE"};
const char* const kModes[] = {"0 - TXT", "1 - GRA16", "2 - GRA64", "3 - TEST"};

bool validCode(int cd) {
    return cd >= 0 && cd < DISPLAY_BOARDS;
}

// Stores the index of text in `list` into the bits `mask` of `byte`.
int store(const ChoiceList& list, const std::string& text, uint8_t* byte, uint8_t mask) {
    const int i = choiceIndex(list, text);
    if (!byte || i >= list.count) return list.count;
    *byte = uint8_t(fieldSet(*byte, mask, unsigned(i)));
    return i;
}

std::string u(unsigned v) {
    char s[16];
    std::snprintf(s, sizeof s, "%u", v);
    return s;
}

}  // namespace

const ChoiceList Lista_Colore_Grandezza{kColours, 4};
const ChoiceList Lista_Modi_Operativi{kModes, 4};

int upd_Option_BaudRateh(const std::string& text, int cd) {
    return store(Lista_Baud_Rate, text, validCode(cd) ? &VT71h[cd].Option : nullptr, DOPT_BAUD);
}
int upd_Option_ColDid(const std::string& text, int cd) {
    return store(Lista_Colore_Grandezza, text, validCode(cd) ? &VT71h[cd].Option : nullptr, DOPT_TITLECOLOR);
}
int upd_Option2_ColGra(const std::string& text, int cd) {
    return store(Lista_Colore_Grandezza, text, validCode(cd) ? &VT71h[cd].Option2 : nullptr, DOPT2_COLOR);
}
int upd_Option3_Mode(const std::string& text) {
    return store(Lista_Modi_Operativi, text, &Option3[0], DOPT3_MODE);
}

bool setDisplayCheck(DisplayCheck which, bool on, int cd) {
    if (!validCode(cd)) return false;
    uint8_t* byte = &VT71h[cd].Option;
    uint8_t bit = 0;
    switch (which) {
        case DisplayCheck::DisplayOff:
            bit = DOPT_OFF;
            break;
        case DisplayCheck::AutoBright:
            bit = DOPT_AUTOBRIGHT;
            break;
        case DisplayCheck::Blinking:
            bit = DOPT_BLINK;
            break;
        case DisplayCheck::NightOff:
            byte = &Option3[0], bit = DOPT3_NIGHTOFF;
            break;
        case DisplayCheck::ScanOff:
            byte = &Option3[0], bit = DOPT3_SCANOFF;
            break;
    }
    *byte = uint8_t(on ? *byte | bit : *byte & ~bit);
    return true;
}

DisplayForm print_VT71h(int cd) {
    DisplayForm f;
    if (!validCode(cd)) return f;
    const DisplayBoardPar& r = VT71h[cd];
    f.ndigit = u(r.Ndigit);
    f.dpoint = u(r.Dpoint);
    f.dlux = u(r.Dlux);
    char s[16];
    std::snprintf(s, sizeof s, "%1.1f", double(Option3[1]) / 10.0);
    f.scan = s;
    f.baud = r.Option & DOPT_BAUD;
    f.displayOff = (r.Option & DOPT_OFF) != 0;
    f.autoBright = (r.Option & DOPT_AUTOBRIGHT) != 0;
    f.blinking = (r.Option & DOPT_BLINK) != 0;
    f.titleColor = (r.Option >> 2) & 3;
    f.numberColor = r.Option2 >> 6;
    f.mode = Option3[0] & DOPT3_MODE;
    f.nightOff = (Option3[0] & DOPT3_NIGHTOFF) != 0;
    f.scanOff = (Option3[0] & DOPT3_SCANOFF) != 0;
    f.scanEditEnabled = !f.scanOff;
    return f;
}

DisplayLayout displayLayout(int32_t family, int cd, uint8_t version, bool qm42) {
    DisplayLayout l;
    char title[96];
    std::snprintf(title, sizeof title, "%s %u (rev.%X.%X)", "I2C Slave Card - Display", unsigned(cd),
                  unsigned(version >> 4), unsigned(version & 0x0F));
    l.title = qm42 ? "QM42h configuration parameters" : title;
    if (family == SLAVE_VT75H) {
        l.digitEdit = false;
        l.baudRate = cd == 1 || cd == 2;
        l.scan = l.mode = l.colours = l.nightOff = true;
        l.label1503 = "Number color";
    } else {
        l.label1503 = "Digit number";
    }
    return l;
}

bool serviceKeyAvailable(char key, int32_t family) {
    if (key == 'X') return true;
    return (key == 'O' || key == 'C') && family == SLAVE_VT75H;
}

ServiceResult displayServiceKey(vx::ui::WindowHandle owner, char key, int cd) {
    if (key != 'X' && key != 'O') return ServiceResult::NotAvailable;
    if (!serviceKeyAvailable(key, Slave_board)) return ServiceResult::NotAvailable;
    // Alt+X: register 5 of the display; Alt+O: extended byte 4, addressed by its index.
    const uint8_t reg = key == 'X' ? 5 : 7;
    const int code = key == 'X' ? cd : 4;
    uint32_t v = 0;
    if (txrx_VT71h(uint8_t(R_PAR | reg), code, &v)) return ServiceResult::ComError;
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", key == 'X' ? "EE.ram.Rxto" : "Option3[4]");
    InputMin = 0;
    InputMax = 255;
    Ndec = 0;
    MaxEdit = 3;
    std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(v));
    if (!DlgInputNum2_(owner)) return ServiceResult::Cancelled;
    const long n = std::strtol(EditBuf, nullptr, 10);
    if (n < 0 || n > 255) return ServiceResult::Cancelled;  // the dialog keeps to its range
    v = uint32_t(n);
    if (txrx_VT71h(uint8_t(W_PAR | reg), code, &v)) return ServiceResult::ComError;
    return ServiceResult::Written;
}

int tuningValue(uint8_t reg) {
    const int t = reg & DOPT3_TUNE;
    return t >= 32 ? t - 64 : t;
}

uint8_t tuningByte(int value, bool pulse) {
    return uint8_t((unsigned(value) & DOPT3_TUNE) | (pulse ? DOPT3_PULSE : 0));
}

int tuningStep(int value, int delta) {
    const int t = value + delta;
    return t < -32 ? -32 : t > 31 ? 31 : t;
}

int Tunosc::open() {
    uint32_t v = 0;
    if (txrx_VT71h(R_PAR | 7, 5, &v)) return 1;
    read_ = written_ = uint8_t(v);
    value_ = tuningValue(read_);
    pulse_ = (read_ & DOPT3_PULSE) != 0;
    return 0;
}

int Tunosc::setPulse(bool on) {
    pulse_ = on;
    return write();
}

int Tunosc::step(int delta) {
    value_ = tuningStep(value_, delta);
    return write();
}

int Tunosc::write() {
    uint32_t b = tuningByte(value_, pulse_);
    if (txrx_VT71h(W_PAR | 7, 5, &b)) return 1;
    written_ = uint8_t(b);
    Option3[5] = written_;
    return 0;
}
