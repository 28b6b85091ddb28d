#pragma once
// Filling the table: from a data record file (loadLV), and a saved format A table made
// ready for that (loadFileTxt), with the computed efficiency and daily energy columns of a
// session from an energy-monitoring board.

#include <cstdint>

#include "postproc/table_access.h"

constexpr float IRR_MIN = 300.0f;  // W/m2: below it the efficiency reads "_Irr_low"
constexpr int32_t POT_MIN = 300;   // W: a nominal power below it gives "_Pnom_low"
constexpr uint32_t MAX_TABLE_ITEMS = 100000;
constexpr int32_t LOAD_TOKEN_MAX = 300;  // longest header name or value a load takes
constexpr int32_t ENERGY_ROW_SECONDS = 900;

// Asks for a saved table (or takes Data_file when it names one, clearing it), checks its
// "Start: YYMMDD_hhmmss" line, writes the rest as the data record file named DataTimeSS in
// the current folder, and sets DataTimeSS, Tsample (when the time line gives 1..65535),
// InfoSES and FirstTimeMarkerDload (0: the start line is the first row's own time).
// 1 on success, 0 when the file is missing or no table file (no message shown).
int32_t loadFileTxt();

// Fills the table from the data record file `namefile` with InfoSES.nItem rows; clears
// the table's undo steps. 1 on success; 0 when the file cannot be opened or is empty, or a
// header name or value is longer than 300 characters (the rows read so far stay).
int32_t loadLV(TableHandle t, const char* namefile);

namespace vx::postproc {

// Width of each data column for a screen `screenWidth` pixels wide and `dataColumns`
// data and computed columns: (screenWidth - 285) / dataColumns within 70..200 (70 when
// there are none).
int32_t dataColumnWidth(int32_t screenWidth, int32_t dataColumns);
constexpr int32_t ITEM_COLUMN_WIDTH = 35;
constexpr int32_t TIME_COLUMN_WIDTH = 100;

}  // namespace vx::postproc
