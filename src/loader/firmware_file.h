#pragma once
// The firmware file (*.fw, made by the firmware converter Packrom) and the image it loads.
//
// Layout: "FW", the board type as one hex digit, one ignored byte, the major and minor
// version characters, a line end (2 bytes); then records of 70 bytes: 68 hex digits
// (32 data bytes and their CRC-16/X-25, low byte first) and a line end. A trailing partial
// record is ignored. A valid file has an even, non-zero number of records (they go to the
// device in pairs of 64 data bytes), at most FW_MAXPACK.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/backend.h"

constexpr int FW_MAXPACK = 1024;  // records the image holds
constexpr int FW_RECORD = 34;     // 32 data bytes and their CRC
constexpr int FW_RECORD_DATA = 32;
constexpr int FW_LINE = 70;  // one record in the file: 68 hex digits and a line end
constexpr int FW_HEADER = 8;

struct FwImage {
    uint16_t npack;  // records loaded
    uint8_t scheda;  // board type 0 ... 15
    char ver[4];     // major digit, '.', minor digit, NUL
    uint8_t data[FW_MAXPACK][FW_RECORD];
};

extern FwImage FW;

namespace vx::loader {

enum class FwFileError {
    None,
    CannotOpen,  // missing or unreadable
    NoHeader,    // shorter than its header, or not beginning with "FW"
    BadType,     // the board type is no hex digit
    BadHex,      // a record holds a character that is no hex digit
    BadCrc,      // a record's CRC does not match its data
    OddCount,    // an odd number of records
    NoRecords,   // not one complete record
    TooMany,     // more records than the image holds
};

// Parses the bytes of a firmware file into img. On failure img is undefined and
// *badRecord (when given) is the record at fault (-1 for the header or the count).
FwFileError parseFirmware(const uint8_t* bytes, size_t n, FwImage& img, int* badRecord = nullptr);

// Reads and parses a file. FW and File_fw are not touched.
FwFileError readFirmwareFile(const std::string& path, FwImage& img, int* badRecord = nullptr);

// A sentence for the user ("record 12: CRC error").
std::string firmwareErrorText(FwFileError e, int badRecord);

// The board type's name ("VT71" for 5).
const char* boardTypeName(uint8_t scheda);

// Loads a file into FW and File_fw. On failure FW is emptied (npack 0) and File_fw
// cleared, so no earlier image passes for the file the user chose.
FwFileError loadFirmware(const std::string& path, int* badRecord = nullptr);

}  // namespace vx::loader

namespace vx::loader {
// The loader's "Select files *.fw": the file dialog and the file loaded. 1 = loaded, 0 = not
// valid ("File sorgente non valido !" was shown), -1 = no file chosen (FW unchanged).
int selectFirmwareFile(vx::ui::WindowHandle owner);
}  // namespace vx::loader

// The file dialog, then loadFirmware: 1 = a valid file is in FW, 0 = no file chosen, or
// not readable or not valid.
int loadFileFW();
