#pragma once
// Pieces of the verbose dump "QM41data.txt".

#include <cstdint>
#include <cstdio>

#include "session/resample.h"

namespace vx::session {

void dumpFirstHeading(FILE* f);
// The index line of a page whose first bytes are a table (nothing written otherwise).
void dumpTableIndexLine(FILE* f, uint16_t page, const uint8_t* chunk);
// The blank line, the session information (with the first page downloaded), the data
// heading and one header line per node.
void dumpSessionInfo(FILE* f, uint16_t firstPageDownloaded);
// One line per scratch record, from the start.
void dumpRecords(FILE* f, ScratchReader& scratch);

}  // namespace vx::session
