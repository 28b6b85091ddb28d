#include "session/quantities.h"

#include <cstdio>
#include <cstring>

const char* const Lista_Grandezze[NUM_QUANTITIES] = {
    "0x00",
    "Temperature (0.00 \xB0" "C)",
    "Thermal Flux (0.00 W/m2)",
    "Air Temperature (0.00 \xB0" "C)",
    "Relative Humidity (0.00 %)",
    "Dew Point (0.00 \xB0" "C)",
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
    "0x14", "0x15", "0x16", "0x17", "0x18", "0x19", "0x1A", "0x1B",
    "0x1C", "0x1D", "0x1E", "0x1F",
};

const char* const Unita_di_misura[NUM_QUANTITIES] = {
    "",     "\xB0" "C", "W/m2", "\xB0" "C", "%",  "\xB0" "C", "hPa", "V", "V", "A", "A",
    "W",    "W",        "V",    "A",        "W/m2", "kWh",    "kW",  "",  "A", "",  "",
    "",     "",         "",     "",         "",   "",         "",    "",  "",  "",
};

int16_t Default_value[NUM_QUANTITIES];

namespace {

// A raw 16-bit word that the sensor means as unsigned.
inline int64_t asUnsigned(int32_t x) { return x < 0 ? int64_t(x) + 65536 : x; }

inline float scaled(char* strz, const char* fmt, float v) {
    std::snprintf(strz, ADJ_TEXT_MAX, fmt, double(v));
    return v;
}

// Raw values up to this size divided by 10 or 100 in single precision stay within a
// quarter of the last printed digit of the exact quotient, so printing the quotient with
// one or two decimals gives the digits of the integer itself: "%.2f" of
// float(x) / 100.0f is x / 100, a point and |x| % 100. Rows of short sample times are
// mostly such values, and this is far cheaper than formatting a float.
constexpr int64_t EXACT_LIMIT = 1000000;

inline bool exactDecimal(char* strz, int64_t x, int decimals) {
    if (x > EXACT_LIMIT || x < -EXACT_LIMIT) return false;
    char tmp[16];
    char* p = tmp + sizeof tmp;
    uint64_t v = uint64_t(x < 0 ? -x : x);
    for (int d = 0; d < decimals; ++d) *--p = char('0' + v % 10), v /= 10;
    *--p = '.';
    do *--p = char('0' + v % 10), v /= 10;
    while (v);
    if (x < 0) *--p = '-';
    size_t n = size_t(tmp + sizeof tmp - p);
    std::memcpy(strz, p, n);
    strz[n] = 0;
    return true;
}

inline float tenths(char* strz, int64_t x) {
    float v = float(x) / 10.0f;
    if (!exactDecimal(strz, x, 1)) scaled(strz, "%.1f", v);
    return v;
}

inline float hundredths(char* strz, int64_t x) {
    float v = float(x) / 100.0f;
    if (!exactDecimal(strz, x, 2)) scaled(strz, "%.2f", v);
    return v;
}

inline void integerText(char* strz, int32_t x) {
    char tmp[16];
    char* p = tmp + sizeof tmp;
    uint32_t v = x < 0 ? 0u - uint32_t(x) : uint32_t(x);
    do *--p = char('0' + v % 10), v /= 10;
    while (v);
    if (x < 0) *--p = '-';
    size_t n = size_t(tmp + sizeof tmp - p);
    std::memcpy(strz, p, n);
    strz[n] = 0;
}

}  // namespace

float adj_value(char* strz, int8_t typegra, int32_t x) {
    switch (typegra) {
    case 1: case 2: case 3: case 4: case 5: case 19:
        return hundredths(strz, x);
    case 6:
        if (x == -1) {
            std::snprintf(strz, ADJ_TEXT_MAX, "Err");
            return Default_value[6];
        }
        return hundredths(strz, asUnsigned(x) + 60000);
    case 7: case 9: case 15: case 16:
        return tenths(strz, x);
    case 8: case 10: case 13: case 14:
        return tenths(strz, asUnsigned(x));
    case 17:
        return scaled(strz, "%.2f", float(x) / 1000.0f);
    default:  // 0, 11, 12, 18 and 20-31 (and anything outside the table): the raw value
        integerText(strz, x);
        return float(x);
    }
}

void adj_value2(char* strz, int8_t typegra, float x) {
    const char* fmt = "%.0f";
    switch (typegra) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 17: case 19:
        fmt = "%.2f";
        break;
    case 7: case 8: case 9: case 10: case 13: case 14: case 15: case 16:
        fmt = "%.1f";
        break;
    default:
        break;
    }
    std::snprintf(strz, ADJ_TEXT_MAX, fmt, double(x));
}
