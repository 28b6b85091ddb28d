#include "session/csv_format.h"

#include <cstdint>
#include <cstdio>

#include "platform/local_time.h"
#include "ui/text_encoding.h"

namespace vx::session {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

// The local time's distance from UTC: the broken-down local time read as if it were UTC,
// less the moment itself. Needs no time zone database of its own and no timegm.
long utcOffsetSeconds(std::time_t t, const std::tm& local) {
    const int64_t asUtc =
        daysFromCivil(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday)) * 86400 +
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return long(asUtc - int64_t(t));
}

std::string isoText(std::time_t t, const std::tm& local) {
    long off = utcOffsetSeconds(t, local);
    const char sign = off < 0 ? '-' : '+';
    if (off < 0) off = -off;
    off %= 86400;  // a real offset is under a day
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign,
                  off / 3600, off % 3600 / 60);
    return text;
}

bool isProgramNumber(std::string_view s) {
    size_t i = s.empty() || s[0] != '-' ? 0 : 1;
    size_t digits = 0, points = 0;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            ++digits;
        else if (s[i] == '.' && points == 0)
            ++points;
        else
            return false;
    }
    return digits > 0;
}

}  // namespace

std::optional<CsvStyle> parseCsvStyle(std::string_view name) {
    if (name == "rfc4180") return CsvStyle::Rfc4180;
    if (name == "excel-eu") return CsvStyle::ExcelEu;
    return std::nullopt;
}

char csvSeparator(CsvStyle style) {
    return style == CsvStyle::ExcelEu ? ';' : ',';
}

std::string_view csvPreamble(CsvStyle style) {
    return style == CsvStyle::ExcelEu ? std::string_view("\xEF\xBB\xBF") : std::string_view();
}

std::string csvField(std::string_view text, CsvStyle style) {
    const char sep = csvSeparator(style);
    if (text.find_first_of(std::string{sep, '"', '\r', '\n'}) == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out += '"';
}

std::string csvNumber(std::string_view text, CsvStyle style) {
    if (!isProgramNumber(text)) return csvField(text, style);
    std::string out(text);
    if (style == CsvStyle::ExcelEu)
        for (char& c : out)
            if (c == '.') c = ',';
    return out;
}

std::string csvName(std::string_view cp1252, CsvStyle style) {
    return csvField(vx::ui::cp1252ToUtf8(std::string(cp1252)), style);
}

std::string isoLocalTime(std::time_t t) {
    return isoText(t, vx::platform::localTime(t));
}

std::optional<std::string> isoLocalTime(std::string_view s) {
    if (s.size() != 13 || s[6] != '_') return std::nullopt;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != 6 && (s[i] < '0' || s[i] > '9')) return std::nullopt;
    auto two = [&](size_t at) { return (s[at] - '0') * 10 + (s[at + 1] - '0'); };
    std::tm want{};
    want.tm_year = 100 + two(0);
    want.tm_mon = two(2) - 1;
    want.tm_mday = two(4);
    want.tm_hour = two(7);
    want.tm_min = two(9);
    want.tm_sec = two(11);
    want.tm_isdst = -1;
    std::tm asked = want;
    const std::time_t t = std::mktime(&want);
    // mktime normalises a date that does not exist (31 February) instead of refusing it.
    if (t == std::time_t(-1) || want.tm_mday != asked.tm_mday || want.tm_mon != asked.tm_mon)
        return std::nullopt;
    // A local time that a clock change skipped is written as the moment mktime chose.
    return isoText(t, vx::platform::localTime(t));
}

}  // namespace vx::session
