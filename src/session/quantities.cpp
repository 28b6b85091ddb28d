#include "session/quantities.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

// The degree sign is the single byte 0xB0, written \260: a hex escape would swallow the C after it.
const char* const Lista_Grandezze[NUM_QUANTITIES] = {
    "0x00",
    "Temperature (0.00 \260C)",
    "Thermal Flux (0.00 W/m2)",
    "Air Temperature (0.00 \260C)",
    "Relative Humidity (0.00 %)",
    "Dew Point (0.00 \260C)",
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

// One unit a line, in the order of the quantity codes.
// clang-format off
const char* const Unita_di_misura[NUM_QUANTITIES] = {
    "",
    "\260C",
    "W/m2",
    "\260C",
    "%",
    "\260C",
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
// clang-format on

int16_t Default_value[NUM_QUANTITIES];

namespace {

// A raw 16-bit word that the sensor means as unsigned.
inline int64_t asUnsigned(int32_t x) {
    return x < 0 ? int64_t(x) + 65536 : x;
}

// "00" to "99": two digits per division when writing numbers.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes v backwards, ending just before p; returns where it begins.
inline char* writeBackwards(char* p, uint64_t v) {
    while (v > UINT32_MAX)
        *--p = char('0' + v % 10), v /= 10;
    uint32_t w = uint32_t(v);
    while (w >= 100) {
        uint32_t i = (w % 100) * 2;
        w /= 100;
        p -= 2;
        p[0] = kDigitPairs[i];
        p[1] = kDigitPairs[i + 1];
    }
    if (w >= 10) {
        p -= 2;
        p[0] = kDigitPairs[w * 2];
        p[1] = kDigitPairs[w * 2 + 1];
    } else {
        *--p = char('0' + w);
    }
    return p;
}

// Writes r with `decimals` (0 to 2) digits after a point; the text's length.
inline size_t putDigits(char* strz, uint64_t r, int decimals, bool negative) {
    // The text is built right-aligned at the middle of tmp and copied in one fixed-size
    // move (no call for a variable length): strz has ADJ_TEXT_MAX bytes of room.
    constexpr size_t kCopy = 24;
    static_assert(kCopy < ADJ_TEXT_MAX, "the copy must fit the caller's room");
    char tmp[2 * kCopy];
    char* end = tmp + kCopy;
    char* p = end;
    if (decimals == 2) {
        uint32_t i = uint32_t(r % 100) * 2;
        r /= 100;
        p -= 3;
        p[0] = '.';
        p[1] = kDigitPairs[i];
        p[2] = kDigitPairs[i + 1];
    } else if (decimals == 1) {
        p -= 2;
        p[0] = '.';
        p[1] = char('0' + r % 10);
        r /= 10;
    }
    p = writeBackwards(p, r);
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

// How a raw value becomes the number shown: read as unsigned 16-bit when negative, plus an
// offset, divided in single precision, printed with the decimals of the quantity.
struct ScaleRule {
    bool isUnsigned;
    int32_t offset;
    int32_t divisor;  // 1: the value as an integer
    int decimals;
};

constexpr ScaleRule kAsInteger{false, 0, 1, 0};
constexpr ScaleRule kScaleRules[20] = {
    kAsInteger,             // 0
    {false, 0, 100, 2},     // 1 temperature
    {false, 0, 100, 2},     // 2 thermal flux
    {false, 0, 100, 2},     // 3 air temperature
    {false, 0, 100, 2},     // 4 relative humidity
    {false, 0, 100, 2},     // 5 dew point
    {true, 60000, 100, 2},  // 6 air pressure (-1 is "Err")
    {false, 0, 10, 1},      // 7 DC voltage
    {true, 0, 10, 1},       // 8 RMS voltage
    {false, 0, 10, 1},      // 9 DC current
    {true, 0, 10, 1},       // 10 RMS current
    kAsInteger,             // 11 DC power
    kAsInteger,             // 12 active power
    {true, 0, 10, 1},       // 13 peak voltage
    {true, 0, 10, 1},       // 14 peak current
    {false, 0, 10, 1},      // 15 irradiance
    {false, 0, 10, 1},      // 16 energy
    {false, 0, 1000, 2},    // 17 power, kW
    kAsInteger,             // 18 N
    {false, 0, 100, 2},     // 19 DC current, 0.01 A
};

}  // namespace

size_t vx::session::adjValueText(char* strz, int8_t typegra, int32_t x, float* shown) {
    if (typegra == 6 && x == -1) {  // the pressure sensor's error value
        std::memcpy(strz, "Err", 4);
        if (shown) *shown = Default_value[6];
        return 3;
    }
    const ScaleRule& r = typegra >= 0 && typegra < 20 ? kScaleRules[typegra] : kAsInteger;
    int64_t raw = (r.isUnsigned ? asUnsigned(x) : x) + r.offset;
    float v = r.divisor == 1 ? float(raw) : float(raw) / float(r.divisor);
    size_t n = r.divisor == 1      ? integerText(strz, raw)
               : r.divisor == 1000 ? fixedText(strz, v, r.decimals)
                                   : decimalText(strz, raw, r.decimals, v);
    if (shown) *shown = v;
    return n;
}

float adj_value(char* strz, int8_t typegra, int32_t x) {
    float v;
    vx::session::adjValueText(strz, typegra, x, &v);
    return v;
}

void adj_value2(char* strz, int8_t typegra, float x) {
    static const char* const kFormats[] = {"%.0f", "%.1f", "%.2f"};
    int decimals = typegra >= 0 && typegra < 20 ? kScaleRules[typegra].decimals : 0;
    std::snprintf(strz, ADJ_TEXT_MAX, kFormats[decimals], double(x));
}
