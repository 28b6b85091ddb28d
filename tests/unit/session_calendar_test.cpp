#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ctime>

#include "session/calendar.h"

static bool operator==(const tempo& a, const tempo& b) {
    return a.anno == b.anno && a.mese == b.mese && a.giorno == b.giorno && a.ora == b.ora &&
           a.minuto == b.minuto && a.secondo == b.secondo;
}

static std::ostream& operator<<(std::ostream& os, const tempo& t) {
    return os << t.anno << "-" << t.mese << "-" << t.giorno << " " << t.ora << ":" << t.minuto << ":"
              << t.secondo;
}

namespace {

TEST(SessionCalendar, DaysOfMonth) {
    const struct {
        uint32_t anno, mese, days;
    } cases[] = {
        {12, 2, 29},  {8, 2, 29},  {28, 2, 29},  {10, 2, 28}, {4, 2, 29},
        {0, 2, 29},   {32, 2, 29}, {96, 2, 29},  {99, 2, 28}, {12, 1, 31},  {12, 7, 31}, {12, 8, 31},
        {12, 12, 31}, {12, 4, 30}, {12, 11, 30}, {12, 0, 0},  {12, 13, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(giorniMese(c.anno, c.mese), c.days) << c.anno << "/" << c.mese;
}

TEST(SessionCalendar, TimeMarkerToDate) {
    const struct {
        tempo ref;
        uint32_t marker;
        tempo expected;
    } cases[] = {
        {{12, 2, 28, 23, 59, 50}, 200, {12, 2, 29, 0, 0, 10}},
        {{10, 2, 28, 23, 59, 50}, 200, {10, 3, 1, 0, 0, 10}},
        {{10, 2, 28, 23, 59, 50}, 209, {10, 3, 1, 0, 0, 10}},  // the last tenth is dropped
        {{11, 12, 31, 23, 59, 59}, 10, {12, 1, 1, 0, 0, 0}},
        {{10, 1, 1, 0, 0, 0}, 59 * 864000, {10, 3, 1, 0, 0, 0}},
        {{10, 1, 1, 0, 0, 0}, 2 * 864000 + 3 * 36000 + 4 * 600 + 5 * 10, {10, 1, 3, 3, 4, 5}},
        {{24, 1, 31, 12, 0, 0}, 400 * 864000, {25, 3, 6, 12, 0, 0}},
        // An invalid month has no length: the day is left as it is instead of looping.
        {{10, 13, 40, 0, 0, 0}, 0, {10, 13, 40, 0, 0, 0}},
        {{10, 0, 5, 0, 0, 0}, 0, {10, 0, 5, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timeAdj(c.ref, c.marker), c.expected) << c.ref << " + " << c.marker;
}

TEST(SessionCalendar, PcClockText) {
    std::time_t before = std::time(nullptr);
    char text[14];
    std::memset(text, 'x', sizeof text);
    getDataTimePC(text);
    std::tm t{};
    localtime_r(&before, &t);
    ASSERT_EQ(std::strlen(text), 13u);
    for (int i = 0; i < 13; ++i)
        EXPECT_TRUE(i == 6 ? text[i] == '_' : std::isdigit(uint8_t(text[i]))) << text;
    char date[40];
    std::snprintf(date, sizeof date, "%02d%02d%02d", t.tm_year % 100, t.tm_mon + 1, t.tm_mday);
    if (t.tm_hour != 23 || t.tm_min != 59) {
        EXPECT_EQ(std::string(text, 6), date);
    }
}

}  // namespace
