#pragma once
// Calendar arithmetic for the logger's clock and the session start: two-digit years
// 00..99 stand for 2000..2099, so every fourth year (including 00) is a leap year.

#include <cstdint>
#include <string>

namespace vx::sim {

struct DateTime {
    int year = 24;  // two digits
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

int daysInMonth(int year2, int month);
bool isValid(const DateTime& t);

// Seconds since 2000-01-01 00:00:00 and back (the inverse wraps after year 99).
int64_t toSeconds(const DateTime& t);
DateTime fromSeconds(int64_t secs);

// "YYMMDD_hhmmss"; false (t untouched) when malformed or out of range.
bool parseDateTime(const std::string& text, DateTime& t);
// "YYMMDD" into the date fields, "hhmmss" into the time fields.
bool parseDate6(const std::string& text, DateTime& t);
bool parseTime6(const std::string& text, DateTime& t);

std::string formatDate6(const DateTime& t);     // YYMMDD
std::string formatTime6(const DateTime& t);     // hhmmss
std::string formatDateTime(const DateTime& t);  // YYMMDD_hhmmss

inline uint8_t toBcd(int v) {
    return static_cast<uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}

}  // namespace vx::sim
