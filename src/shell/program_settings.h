#pragma once
// The desktop program's own settings that outlive a run, kept in "Vendrix.ini" in the
// program's folder beside "Farlinks.ini": for now whether downloads keep the raw data.

#include <string>

#include "session/download.h"

namespace vx::shell {

// "Keep raw data": a download from the main window also keeps the raw archive.
bool keepRawData();
// Sets and remembers it; false (nothing changed) when the file cannot be written.
bool setKeepRawData(bool on);

// The raw archive a download into `dataFile` keeps: the folder "<dataFile>.raw" beside it
// while "Keep raw data" is on, none otherwise.
vx::session::RawOptions rawOptionsFor(const std::string& dataFile);

}  // namespace vx::shell
