#include "calendar.h"

#include <cstdio>

namespace vx::sim {

namespace {

bool digits(const std::string& s, size_t pos, size_t n) {
    if (s.size() < pos + n) return false;
    for (size_t i = pos; i < pos + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

int two(const std::string& s, size_t pos) {
    return (s[pos] - '0') * 10 + (s[pos + 1] - '0');
}

int64_t daysBeforeYear(int year2) {
    return int64_t(year2) * 365 + (year2 + 3) / 4;
}

}  // namespace

int daysInMonth(int year2, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && year2 % 4 == 0) return 29;
    return kDays[month - 1];
}

bool isValid(const DateTime& t) {
    return t.year >= 0 && t.year <= 99 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
           t.minute < 60 && t.second >= 0 && t.second < 60;
}

int64_t toSeconds(const DateTime& t) {
    int64_t days = daysBeforeYear(t.year);
    for (int m = 1; m < t.month; ++m)
        days += daysInMonth(t.year, m);
    days += t.day - 1;
    return ((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

DateTime fromSeconds(int64_t secs) {
    const int64_t kCentury = daysBeforeYear(100) * 86400;
    secs %= kCentury;
    if (secs < 0) secs += kCentury;
    DateTime t;
    int64_t days = secs / 86400;
    int64_t rest = secs % 86400;
    t.hour = int(rest / 3600);
    t.minute = int(rest / 60 % 60);
    t.second = int(rest % 60);
    int y = 0;
    while (y < 99 && daysBeforeYear(y + 1) <= days)
        ++y;
    days -= daysBeforeYear(y);
    t.year = y;
    int m = 1;
    while (days >= daysInMonth(y, m))
        days -= daysInMonth(y, m++);
    t.month = m;
    t.day = int(days) + 1;
    return t;
}

bool parseDate6(const std::string& text, DateTime& t) {
    if (text.size() != 6 || !digits(text, 0, 6)) return false;
    DateTime n = t;
    n.year = two(text, 0);
    n.month = two(text, 2);
    n.day = two(text, 4);
    if (!isValid(n)) return false;
    t = n;
    return true;
}

bool parseTime6(const std::string& text, DateTime& t) {
    if (text.size() != 6 || !digits(text, 0, 6)) return false;
    DateTime n = t;
    n.hour = two(text, 0);
    n.minute = two(text, 2);
    n.second = two(text, 4);
    if (!isValid(n)) return false;
    t = n;
    return true;
}

bool parseDateTime(const std::string& text, DateTime& t) {
    if (text.size() != 13 || text[6] != '_') return false;
    DateTime n;  // midnight, so the date is checked on its own
    if (!parseDate6(text.substr(0, 6), n) || !parseTime6(text.substr(7, 6), n)) return false;
    t = n;
    return true;
}

std::string formatDate6(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.year % 100, t.month % 100, t.day % 100);
    return buf;
}

std::string formatTime6(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

std::string formatDateTime(const DateTime& t) {
    return formatDate6(t) + "_" + formatTime6(t);
}

}  // namespace vx::sim
