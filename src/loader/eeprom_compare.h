#pragma once
// Checking an EEPROM dump (*.ee) against a firmware file (*.fw): the firmware lies in the
// EEPROM after its first 256 bytes, so dump line 8 + k holds record k of the file, whose
// records follow its one header line. Both are in the same line format (68 upper-case hex
// digits and CR LF) and are compared as text, exactly.

#include <cstdint>
#include <string>

#include "ui/backend.h"

namespace vx::loader {

constexpr int kEeDumpSkipLines = 8;  // the 256 bytes before the firmware
constexpr int kFwSkipLines = 1;      // the header line of a firmware file

struct EeCompare {
    bool equal = false;
    uint32_t compared = 0;   // record pairs compared
    int firstDiff = -1;      // the firmware record that differs, -1 when none
    bool dumpShort = false;  // the dump ended before a record of the firmware file
    std::string why;         // a sentence for the user when not equal
};

// Compares the two files. Equal only when at least one record was compared, every record
// compared agrees and the dump holds every whole record of the firmware file.
EeCompare compareDump(const std::string& dumpPath, const std::string& fwPath);

// The loader's Alt+C: both files known, the question, the comparison, the result. 1 when
// the data are identical.
int verifyDump(vx::ui::WindowHandle owner);

}  // namespace vx::loader

// Compares File_ee with File_fw: 1 = they agree (compareDump), 0 = not, or a file cannot
// be opened.
int fileCompare();
