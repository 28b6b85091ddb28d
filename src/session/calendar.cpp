#include "session/calendar.h"

#include <cstdio>
#include <ctime>

#include "platform/local_time.h"

void getDataTimePC(char* datatime) {
    std::tm t = vx::platform::localTime(std::time(nullptr));
    std::snprintf(datatime, 14, "%02u%02u%02u_%02u%02u%02u", unsigned(t.tm_year % 100),
                  unsigned(t.tm_mon + 1), unsigned(t.tm_mday), unsigned(t.tm_hour), unsigned(t.tm_min),
                  unsigned(t.tm_sec));
}

uint32_t giorniMese(uint32_t anno, uint32_t mese) {
    switch (mese) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            // Two-digit years of one century: every fourth is a leap year (2000 was one).
            return anno % 4 == 0 ? 29 : 28;
        default:
            return 0;
    }
}

tempo timeAdj(tempo tref, uint32_t timemarker) {
    uint32_t days = timemarker / 864000, rest = timemarker % 864000;
    uint32_t hours = rest / 36000;
    rest %= 36000;
    uint32_t minutes = rest / 600;
    uint32_t seconds = rest % 600 / 10;

    tempo t = tref;
    uint32_t carry = 0;
    t.secondo = tref.secondo + seconds;
    if (t.secondo > 59) t.secondo -= 60, carry = 1;
    t.minuto = carry + tref.minuto + minutes;
    carry = 0;
    if (t.minuto > 59) t.minuto -= 60, carry = 1;
    t.ora = carry + tref.ora + hours;
    carry = 0;
    if (t.ora > 23) t.ora -= 24, carry = 1;
    t.giorno = carry + tref.giorno + days;

    // Any 48 months in a row hold 1461 days (one leap year in four), so a day count of
    // years (a start time read from a damaged file) is taken off four years at a time
    // first, with the same result as month by month.
    constexpr uint32_t kFourYears = 1461;
    if (giorniMese(t.anno, t.mese) != 0 && t.giorno > kFourYears) {
        uint32_t cycles = (t.giorno - 1) / kFourYears;
        t.giorno -= cycles * kFourYears;
        t.anno += 4 * cycles;
    }
    // Every step takes at least 28 days off, so this ends; a month outside 1..12 has no
    // length and stops the carrying there (the day is then left as it is).
    for (;;) {
        uint32_t dim = giorniMese(t.anno, t.mese);
        if (dim == 0 || t.giorno <= dim) break;
        t.giorno -= dim;
        if (++t.mese > 12) t.mese = 1, ++t.anno;
    }
    return t;
}
