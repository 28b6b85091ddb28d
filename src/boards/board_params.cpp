#include "boards/board_params.h"

#include <charconv>
#include <cmath>

#include "boards/board_image.h"
#include "state/flags.h"
#include "ui/backend.h"

ParcfgEntry Parcfg[PARCFG_N];

namespace {

enum class Scale { One, Tens, Hundredths };  // shown = stored, stored x10, stored / 100

struct ParamSpec {
    int32_t id;
    int offset, bytes;  // image field; byte slots keep the rest of a shared word
    int nod85Offset;    // where the NOD85 keeps it instead (-1: same place)
    Scale scale;
    float min, max;
    int32_t chars;
};

// Index = Parcfg index; entry 0 is the empty one.
constexpr ParamSpec kParams[PARCFG_N] = {
    {0, 0, 0, -1, Scale::One, 0, 0, 0},
    {ID_EDT_VT71_MYADD, offsetof(ee_ram, MYadd), 2, offsetof(ee_ram, Option2), Scale::One, 1, 254, 3},
    {ID_EDT_VT71_TCA, offsetof(ee_ram, TCA), 2, -1, Scale::One, 1, 65535, 5},
    {ID_EDT_VT71_NTCA, offsetof(ee_ram, NTCA), 2, -1, Scale::One, 1, 65535, 5},
    {ID_EDT_VT71_TCM, offsetof(ee_ram, TCM), 2, -1, Scale::One, 1, 65535, 5},
    {ID_EDT_VT71_KI, offsetof(ee_ram, Ki), 2, -1, Scale::Tens, 10, 99990, 5},
    {ID_EDT_VT71_KCO2, offsetof(ee_ram, Kco2), 1, -1, Scale::Hundredths, 0.1f, 0.9f, 4},
    {ID_EDT_VT71_KEUR, offsetof(ee_ram, Keur), 1, -1, Scale::Hundredths, 0.1f, 0.9f, 4},
    {ID_EDT_VT71_PNOM, offsetof(ee_ram, Pnom), 4, -1, Scale::One, 1000, 5000000, 7},
    {ID_EDT_VT71_NINV, offsetof(ee_ram, ComReg2), 1, -1, Scale::One, 0, 254, 3},
    {ID_EDT_VT71_ADDI, offsetof(ee_ram, ComReg2) + 1, 1, -1, Scale::One, 1, 254, 3},
    {ID_EDT_VT71_ADDAUX, offsetof(ee_ram, ComReg) + 1, 1, -1, Scale::One, 0, 254, 3},
};

bool valid(int i) {
    return i > 0 && i < PARCFG_N;
}

// The image slot of a parameter on the board in use: the NOD85 keeps its address in
// the low byte of Option2.
void slotOf(const ParamSpec& p, int& offset, int& bytes) {
    offset = p.offset;
    bytes = p.bytes;
    if (p.nod85Offset >= 0 && Flag.NOD85) offset = p.nod85Offset, bytes = 1;
}

uint32_t readSlot(int offset, int bytes, const ee_buf& image = EE) {
    uint32_t v = 0;
    for (int k = 0; k < bytes; ++k)
        v |= uint32_t(image.buf[offset + k]) << (8 * k);
    return v;
}

void writeSlot(int offset, int bytes, uint32_t v) {
    for (int k = 0; k < bytes; ++k)
        EE.buf[offset + k] = uint8_t(v >> (8 * k));
}

float shown(Scale s, uint32_t stored) {
    switch (s) {
        case Scale::Tens:
            return float(stored) * 10.0f;
        case Scale::Hundredths:
            return float(stored) / 100.0f;
        default:
            return float(stored);
    }
}

// In float, as the board's own program rounds: the platform's conversion in its default
// mode, to nearest with ties to even.
uint32_t stored(Scale s, float val) {
    switch (s) {
        case Scale::Tens:
            val = val / 10.0f;
            break;
        case Scale::Hundredths:
            val = val * 100.0f;
            break;
        default:
            break;
    }
    return uint32_t(std::lrint(val));
}

}  // namespace

void initParcfg() {
    for (int i = 0; i < PARCFG_N; ++i) {
        const ParamSpec& p = kParams[i];
        ParcfgEntry& e = Parcfg[i];
        e.id = p.id;
        e.id_H = 0;
        e.val_min = p.min;
        e.val_max = p.max;
        e.n_dec = p.chars;
        e.n_hex = 0;
    }
}

int testValue(int i) {
    if (!valid(i)) return 1;  // the empty entry: nothing to check or store
    ParcfgEntry& e = Parcfg[i];
    // A NaN compares false both ways, so the test is written to let only real numbers in.
    if (!(e.val >= e.val_min && e.val <= e.val_max)) {
        e.val_err = 1;
        return 0;
    }
    e.val_err = 0;
    int offset, bytes;
    slotOf(kParams[i], offset, bytes);
    writeSlot(offset, bytes, stored(kParams[i].scale, e.val));
    return 1;
}

void valuesFromImage() {
    for (int i = 1; i < PARCFG_N; ++i) {
        int offset, bytes;
        slotOf(kParams[i], offset, bytes);
        Parcfg[i].val = shown(kParams[i].scale, readSlot(offset, bytes));
    }
}

std::string parameterText(int i) {
    return parameterText(i, EE);
}

std::string parameterText(int i, const ee_buf& image) {
    if (!valid(i)) return "";
    int offset, bytes;
    slotOf(kParams[i], offset, bytes);
    const uint32_t v = readSlot(offset, bytes, image);
    switch (kParams[i].scale) {
        case Scale::Tens:
            return vx::ui::format("%u", unsigned(v) * 10u);
        case Scale::Hundredths:
            return vx::ui::format("%.2f", double(v) / 100.0);
        default:
            return vx::ui::format("%u", unsigned(v));
    }
}

int editParameter(int i, std::string& text) {
    if (!valid(i)) return 1;
    if (text.size() > size_t(kParams[i].chars)) text.resize(size_t(kParams[i].chars));
    // Read without the locale: a decimal point is a point on every PC.
    size_t at = text.find_first_not_of(" \t");
    double v = 0;
    if (at != std::string::npos) {
        if (text[at] == '+') ++at;
        if (std::from_chars(text.data() + at, text.data() + text.size(), v).ec != std::errc()) v = 0;
    }
    Parcfg[i].val = float(v);
    return testValue(i);
}

int parameterIndexOf(int32_t controlId) {
    for (int i = 1; i < PARCFG_N; ++i)
        if (kParams[i].id == controlId) return i;
    return 0;
}
