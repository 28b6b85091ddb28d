#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/quantities.h"

namespace {

struct AdjCase {
    int code;
    int32_t x;
    const char* text;
    float shown;
};

TEST(SessionQuantities, AdjValueScalesAndFormatsByCode) {
    const AdjCase cases[] = {
        // unsigned quantities read -1 as 65535, signed ones as -1
        {8, -1, "6553.5", 6553.5f},
        {10, -1, "6553.5", 6553.5f},
        {13, -1, "6553.5", 6553.5f},
        {14, -1, "6553.5", 6553.5f},
        {7, -1, "-0.1", -0.1f},
        {9, -1, "-0.1", -0.1f},
        {15, -1, "-0.1", -0.1f},
        {16, -1, "-0.1", -0.1f},
        // pressure: one 16-bit word, read either way; -1 is the sensor's error value
        {6, 40000, "1000.00", 1000.0f},
        {6, -25536, "1000.00", 1000.0f},
        {6, -1, "Err", 0.0f},
        {6, 0, "600.00", 600.0f},
        {1, 2345, "23.45", 23.45f},
        {3, -150, "-1.50", -1.5f},
        {2, 5, "0.05", 0.05f},
        {4, 10000, "100.00", 100.0f},
        {5, -1, "-0.01", -0.01f},
        {19, 1234, "12.34", 12.34f},
        {17, 1500, "1.50", 1.5f},
        {17, -1, "-0.00", -0.001f},
        {11, -5, "-5", -5.0f},
        {12, 98304, "98304", 98304.0f},
        {18, -1, "-1", -1.0f},
        {0, 70000, "70000", 70000.0f},
        {20, -2, "-2", -2.0f},
        {31, 65535, "65535", 65535.0f},
    };
    for (const auto& c : cases) {
        char text[ADJ_TEXT_MAX] = "junk";
        float shown = adj_value(text, int8_t(c.code), c.x);
        EXPECT_STREQ(text, c.text) << "code " << c.code << " x " << c.x;
        EXPECT_FLOAT_EQ(shown, c.shown) << "code " << c.code << " x " << c.x;
    }
}

// The texts must be those of printing the single-precision quotient, for 16-bit values
// and for the large values of 32-bit channels alike.
TEST(SessionQuantities, AdjValueTextIsThePrintedSinglePrecisionQuotient) {
    std::vector<int64_t> xs = {999999,   1000000,  1000001,   -999999,  -1000000,
                               -1000001, 16777217, INT32_MAX, INT32_MIN};
    for (int64_t x = -70000; x <= 70000; ++x)
        xs.push_back(x);
    for (int64_t x = -1100000; x <= 1100000; x += 997)
        xs.push_back(x);
    for (int64_t x = INT32_MIN; x < INT32_MAX - 65521; x += 65521 * 7)
        xs.push_back(x);  // 32-bit channels
    for (int code : {1, 8, 11, 17}) {
        for (int64_t x : xs) {
            char text[ADJ_TEXT_MAX], expected[ADJ_TEXT_MAX];
            adj_value(text, int8_t(code), int32_t(x));
            int64_t u = code == 8 && x < 0 ? x + 65536 : x;
            float divisor = code == 1 ? 100.0f : code == 8 ? 10.0f : 1000.0f;
            if (code == 11)
                std::snprintf(expected, sizeof expected, "%d", int32_t(x));
            else
                std::snprintf(expected, sizeof expected, code == 8 ? "%.1f" : "%.2f",
                              double(float(u) / divisor));
            ASSERT_STREQ(text, expected) << "code " << code << " x " << x;
        }
    }
}

TEST(SessionQuantities, AdjValue2UsesTheDecimalsOfTheCode) {
    const struct {
        int code;
        float x;
        const char* text;
    } cases[] = {
        {1, 23.456f, "23.46"}, {6, 1013.2f, "1013.20"}, {17, 1.5f, "1.50"}, {19, -0.4f, "-0.40"},
        {7, 12.34f, "12.3"},   {8, 6553.5f, "6553.5"},  {16, 0.0f, "0.0"},  {13, 230.06f, "230.1"},
        {11, 12.6f, "13"},     {12, -3.2f, "-3"},       {18, 7.0f, "7"},    {0, 2.7f, "3"},
        {20, 3.4f, "3"},
    };
    for (const auto& c : cases) {
        char text[ADJ_TEXT_MAX];
        adj_value2(text, int8_t(c.code), c.x);
        EXPECT_STREQ(text, c.text) << "code " << c.code;
    }
}

TEST(SessionQuantities, NamesAreWindows1252WithTheirExactBlanks) {
    EXPECT_EQ(std::string(Lista_Grandezze[1]), std::string("Temperature (0.00 ") + char(0xB0) + "C)");
    EXPECT_EQ(std::strlen(Lista_Grandezze[3]), std::strlen("Air Temperature (0.00 xC)"));
    EXPECT_STREQ(Lista_Grandezze[6], "Air Pressure (0.00 hPa) ");
    EXPECT_STREQ(Lista_Grandezze[0], "0x00");
    EXPECT_STREQ(Lista_Grandezze[19], "DC Current (0.00 A)");
    EXPECT_STREQ(Lista_Grandezze[20], "0x14");
    EXPECT_STREQ(Lista_Grandezze[26], "0x1A");
    EXPECT_STREQ(Lista_Grandezze[31], "0x1F");
    EXPECT_EQ(std::string(Unita_di_misura[5]), std::string(1, char(0xB0)) + "C");
    EXPECT_STREQ(Unita_di_misura[17], "kW");
    EXPECT_STREQ(Unita_di_misura[18], "");
    EXPECT_STREQ(Unita_di_misura[31], "");
    for (int16_t v : Default_value)
        EXPECT_EQ(v, 0);
}

}  // namespace
