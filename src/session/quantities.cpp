#include "session/quantities.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

const char* const Lista_Grandezze[NUM_QUANTITIES] = {
    "0x00",
    "Temperature (0.00 \xB0"
    "C)",
    "Thermal Flux (0.00 W/m2)",
    "Air Temperature (0.00 \xB0"
    "C)",
    "Relative Humidity (0.00 %)",
    "Dew Point (0.00 \xB0"
    "C)",
    "Air Pressure (0.00 hPa) ",
    "DC Voltage (0.0 V)",
    "RMS Voltage (0.0 V)",
    "DC Current (0.0 A)",
    "RMS Current (0.0 A)",
    "DC Power (W)",
    "Active Power (W)",
    "Peak Voltage (0.0 V)",
    "Peak Current (0.0 A)",
    "Irradiance (0.0 W/m2)",
    "Energy (0.0 kWh)",
    "Power (0.00 kW)",
    "N (adim.)",
    "DC Current (0.00 A)",
    "0x14",
    "0x15",
    "0x16",
    "0x17",
    "0x18",
    "0x19",
    "0x1A",
    "0x1B",
    "0x1C",
    "0x1D",
    "0x1E",
    "0x1F",
};

const char* const Unita_di_misura[NUM_QUANTITIES] = {
    "",
    "\xB0"
    "C",
    "W/m2",
    "\xB0"
    "C",
    "%",
    "\xB0"
    "C",
    "hPa",
    "V",
    "V",
    "A",
    "A",
    "W",
    "W",
    "V",
    "A",
    "W/m2",
    "kWh",
    "kW",
    "",
    "A",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
};

int16_t Default_value[NUM_QUANTITIES];

namespace {

// A raw 16-bit word that the sensor means as unsigned.
inline int64_t asUnsigned(int32_t x) {
    return x < 0 ? int64_t(x) + 65536 : x;
}

// Writes r with `decimals` digits after a point (none: an integer); the text's length.
inline size_t putDigits(char* strz, uint64_t r, int decimals, bool negative) {
    // The text is built right-aligned at the middle of tmp and copied in one fixed-size
    // move (no call for a variable length): strz has ADJ_TEXT_MAX bytes of room.
    constexpr size_t kCopy = 24;
    static_assert(kCopy < ADJ_TEXT_MAX, "the copy must fit the caller's room");
    char tmp[2 * kCopy];
    char* end = tmp + kCopy;
    char* p = end;
    for (int d = 0; d < decimals; ++d)
        *--p = char('0' + r % 10), r /= 10;
    if (decimals > 0) *--p = '.';
    do
        *--p = char('0' + r % 10), r /= 10;
    while (r);
    if (negative) *--p = '-';
    size_t n = size_t(end - p);
    std::memcpy(strz, p, kCopy);
    strz[n] = 0;
    return n;
}

// "%.1f" or "%.2f" of a float without the general formatter: a float times 10 or 100 is
// exact in double precision, so rounding that product half to even gives printf's digits,
// the sign of a negative value rounded to zero included ("-0.00"). Rows of short sample
// times are long lists of such values.
inline size_t fixedText(char* strz, float v, int decimals) {
    double t = double(v) * (decimals == 1 ? 10.0 : 100.0);
    if (!(std::fabs(t) < 1e15)) {
        int n = std::snprintf(strz, ADJ_TEXT_MAX, decimals == 1 ? "%.1f" : "%.2f", double(v));
        return n < 0 ? 0 : std::min(size_t(n), size_t(ADJ_TEXT_MAX - 1));
    }
    // Adding and taking away 2^52 rounds a smaller non-negative double to an integer,
    // halves to even, as nearbyint does in the default rounding mode (without a call).
    constexpr double kRound = 4503599627370496.0;
    double rounded = (std::fabs(t) + kRound) - kRound;
    return putDigits(strz, uint64_t(rounded), decimals, std::signbit(t));
}

// Raw values up to a million divided by 10 or 100 in single precision stay within a
// quarter of the last printed digit of the exact quotient, so the text is the integer's
// own digits with a point put in: no float needs formatting for the usual 16-bit samples.
inline size_t decimalText(char* strz, int64_t raw, int decimals, float v) {
    constexpr int64_t kExactLimit = 1000000;
    if (raw > kExactLimit || raw < -kExactLimit) return fixedText(strz, v, decimals);
    return putDigits(strz, uint64_t(raw < 0 ? -raw : raw), decimals, raw < 0);
}

inline size_t integerText(char* strz, int64_t x) {
    return putDigits(strz, uint64_t(x < 0 ? -x : x), 0, x < 0);
}

}  // namespace

size_t adjValueText(char* strz, int8_t typegra, int32_t x, float* shown) {
    float v;
    size_t n;
    switch (typegra) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 19:
            v = float(x) / 100.0f;
            n = decimalText(strz, x, 2, v);
            break;
        case 6:
            if (x == -1) {
                std::memcpy(strz, "Err", 4);
                v = Default_value[6];
                n = 3;
            } else {
                v = float(asUnsigned(x) + 60000) / 100.0f;
                n = decimalText(strz, asUnsigned(x) + 60000, 2, v);
            }
            break;
        case 7:
        case 9:
        case 15:
        case 16:
            v = float(x) / 10.0f;
            n = decimalText(strz, x, 1, v);
            break;
        case 8:
        case 10:
        case 13:
        case 14:
            v = float(asUnsigned(x)) / 10.0f;
            n = decimalText(strz, asUnsigned(x), 1, v);
            break;
        case 17:
            v = float(x) / 1000.0f;
            n = fixedText(strz, v, 2);
            break;
        default:  // 0, 11, 12, 18 and 20-31 (and anything outside the table): the raw value
            v = float(x);
            n = integerText(strz, x);
            break;
    }
    if (shown) *shown = v;
    return n;
}

float adj_value(char* strz, int8_t typegra, int32_t x) {
    float v;
    adjValueText(strz, typegra, x, &v);
    return v;
}

void adj_value2(char* strz, int8_t typegra, float x) {
    const char* fmt = "%.0f";
    switch (typegra) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 17:
        case 19:
            fmt = "%.2f";
            break;
        case 7:
        case 8:
        case 9:
        case 10:
        case 13:
        case 14:
        case 15:
        case 16:
            fmt = "%.1f";
            break;
        default:
            break;
    }
    std::snprintf(strz, ADJ_TEXT_MAX, fmt, double(x));
}
