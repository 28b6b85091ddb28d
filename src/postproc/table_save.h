#pragma once
// Saving the table as a text file in output format A (the data record layout behind a
// start line, which loadFileTxt opens again) or B (semicolon-separated, date and time in
// their own columns).

#include <cstdint>
#include <string>

#include "postproc/table_access.h"
#include "session/session_state.h"

constexpr int32_t FORMAT_A = 0;
constexpr int32_t FORMAT_B = 1;

// Says first which columns a header repeated from the column before would leave out (a
// Yes/No question: No saves nothing). Asks for the file (proposing `namefile`), writes the table in
// Flag.file_format with the rows below info.nItem, and sets Data_file (full name) and Data_dir (its folder);
// the working directory is Exe_dir again afterwards. The table's undo steps are dropped: the edits are saved.
// 1 when the file was written; 0 when the user cancelled, or when the file could not be written, which is
// reported ("File Error") and leaves any older file of that name as it was.
int32_t saveFile2(TableHandle t, const char* namefile, const INFOST& info);

namespace vx::postproc {

// The bytes of the file saveFile2 writes, with the format and separator given.
std::string tableFileText(TableHandle t, const INFOST& info, int32_t format, int32_t comma);

// Columns the saved file covers: headers from column 0 on, up to the first that repeats
// the one before it or the end of the table.
int32_t savedColumnCount(TableHandle t);

// When a column repeats the header of the one before it, the saved file ends there: the
// text that says which columns a save would leave out; "" when it keeps them all.
std::string droppedColumnsText(TableHandle t);

}  // namespace vx::postproc
