#pragma once
// The table's data channels as locale-neutral CSV (session/csv_format.h): a "Timestamp"
// column with each row's start time in ISO 8601, then one column per data column of the
// table, named as in its header (node, channel, quantity and unit). The Item column and the
// computed efficiency and daily energy columns are left out: they are not channels.

#include <string>

#include "postproc/table.h"
#include "session/csv_format.h"

namespace vx::postproc {

// The whole file. `dataColumns` is InfoSES.nSubItem: the data columns that follow "Item"
// and "Time". A row whose time is not YYMMDD_hhmmss keeps its text in the timestamp column.
std::string tableCsvText(const Table& table, int dataColumns, vx::session::CsvStyle style);

// Written whole to `path` or not at all; "" on success, else the message to show.
std::string saveTableCsv(const Table& table, int dataColumns, vx::session::CsvStyle style,
                         const std::string& path);

}  // namespace vx::postproc
