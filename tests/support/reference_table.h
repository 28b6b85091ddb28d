#pragma once
// An independent reference for the data record file: built from the simulated session's
// own ledger of records, with its own small quantity table, not from the program's code.

#include <cstdint>
#include <string>

#include "sim/session.h"

namespace vx::test {

struct ReferenceInput {
    uint16_t tsample = 60;
    int pagesDownloaded = -1;  // most recent data pages read; -1: all
};

// The expected bytes of the data record file, and the row count.
std::string referenceDataFile(const vx::sim::Session& s, const ReferenceInput& in, int* rows = nullptr);

}  // namespace vx::test
