#pragma once
// The spreadsheet-neutral CSV the exports write besides the program's own files: fields
// separated and quoted as RFC 4180 says, CRLF line ends, UTF-8 text, timestamps in ISO 8601
// with the PC's UTC offset, and numbers that do not depend on any locale. The "excel-eu"
// style is the same table for spreadsheets set up for a decimal comma: ";" between fields,
// "," as the decimal mark, and a byte order mark, which is how Excel tells UTF-8 apart.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vx::session {

enum class CsvStyle { Rfc4180, ExcelEu };

// "rfc4180" or "excel-eu"; nullopt for anything else.
std::optional<CsvStyle> parseCsvStyle(std::string_view name);

char csvSeparator(CsvStyle style);
// What a file of this style begins with (the byte order mark of excel-eu, else nothing).
std::string_view csvPreamble(CsvStyle style);
inline constexpr std::string_view kCsvLineEnd = "\r\n";

// One field: quoted, with its quotes doubled, when it holds the separator, a quote, a CR or
// an LF; as it stands otherwise.
std::string csvField(std::string_view text, CsvStyle style);
// A value as the program writes it ("12.34", "-3", "0.00") with the style's decimal mark; a
// text that is not such a number is written as a field.
std::string csvNumber(std::string_view text, CsvStyle style);
// A column name of the program's own (Windows-1252) text, as a UTF-8 field.
std::string csvName(std::string_view cp1252, CsvStyle style);

// "2026-12-07T02:05:00+01:00": the PC's local time with its offset from UTC at that moment.
std::string isoLocalTime(std::time_t t);
// The same for a local time written YYMMDD_hhmmss (years 2000-2099); nullopt for a text of
// another form or a date that does not exist.
std::optional<std::string> isoLocalTime(std::string_view yymmddHhmmss);

}  // namespace vx::session
