#pragma once
// What the commands that work on the post-processing table share: a table file loaded as
// quick mode's "Load file .txt" loads it, and the table saved as the window's Save writes it.

#include <cstdint>
#include <string>

namespace vx::cli {

// A session start or row time YYMMDD_hhmmss.
bool isTimeStamp(const std::string& s);

// "A" or "B" (either case) as FORMAT_A or FORMAT_B; -1 for anything else.
int32_t parseFormat(const std::string& s);

// Loads `file` into the post-processing table. A file starting "Start: " is a saved table
// (format A); any other file is a data record file, whose first row is at `start`
// (YYMMDD_hhmmss; "" takes the file's name when it has that form). "" when the table was
// filled; else what went wrong, with *usage set when the command line was at fault.
std::string loadTableFile(const std::string& file, const std::string& start, bool* usage);

// The table as Save writes it, in `format` with decimal commas or points, written whole to
// `out` or not at all. "" on success, else the program's message.
std::string saveTableFile(const std::string& out, int32_t format, bool comma);

}  // namespace vx::cli
