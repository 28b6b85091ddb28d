#pragma once
// The data export file: while the monitor runs, one semicolon-separated row every
// Tsample_exp seconds of PC time with the average of each channel's values since the
// previous row.
//
// The file is a live log, written to the name the user chose (the save dialog asked
// before replacing a file): the header and every row are written, flushed and synced
// when they are made, so a crash or a power cut loses at most the row under way. A file
// that cannot be created or written is reported once; a write failure ends the export with
// the file complete up to its last row, and the monitor goes on.

#include <cstdint>
#include <string>

#include "session/csv_format.h"
#include "ui/backend.h"

// Replaces the first '.' among the first 10 characters of buf by ',' when virgola is not 0.
void virgAdj(char* buf, int32_t virgola);

// The save dialog (filter "Data Export File (*.csv)", default extension "csv", asking
// before replacing a file), then the file opened. 1 when a file is open; 0 when the user
// cancelled or the file could not be created (reported).
int32_t openFileExp(vx::ui::WindowHandle hwndCtrl);
// The header line, then rows for PC time `timestamp` (seconds since 1970).
void printHeaderExp();
void printDataExp(uint32_t timestamp);

namespace vx::monitor {

// The selection dialog's Start: the file from the save dialog (startExport) or a name
// given (startExportTo; vendrix-cli), then the start time, the sums cleared and the header.
// 1 when the export runs.
int32_t startExport(vx::ui::WindowHandle owner);
int32_t startExportTo(const std::string& path, vx::ui::WindowHandle owner);

// A CSV of the same rows beside the export (session/csv_format.h), kept live the same way,
// for the next export started; "" for none. The same failures end both files.
void setExportCsv(const std::string& path, vx::session::CsvStyle style);
const std::string& exportCsvName();

bool exportRunning();
uint32_t exportStartTime();  // StartExpTime: PC time at which the export began
const std::string& exportFileName();
uint32_t exportRows();  // rows written by the export under way (or the last one)

// A decoded data packet of session node `nodeIndex` (1..TotalNodeNum): its logical channel
// values, scaled, added to the sums of its columns. Nothing while no export runs, or when
// the session read since the start has another node at that index.
void addToExport(int nodeIndex, const float* values, int count);

// The row timing, on every tick of the monitor's timer: a row when the PC clock has passed
// RefExpTime, which then moves on by one period (a late tick is followed by catch-up rows
// on the next ticks, never skipped). True when a row was written.
bool exportTick();

// "%u %02u:%02u:%02u" (days, hours, minutes, seconds) of the time since the export began.
std::string exportElapsedText(uint32_t now);

// Closes the file; the export is off.
void closeExport();

}  // namespace vx::monitor
