#pragma once
// The dump of a board's I2C EEPROM into a text file (*.ee): 32768 bytes read as 512 blocks
// of 64 bytes, written as 1024 lines of 32 bytes, each 64 upper-case hex digits, the
// CRC-16/X-25 of the 32 bytes ("%02X%02X", low byte first) and CR LF — the line format of
// the records of a firmware file.
//
// The device is told how many blocks it returns per request ("ATRD0200": all 512, FAST;
// "ATRD0001": one), then "ATRD4000" starts the dump and each "ATRD" asks for the next
// request's blocks. A streamed (FAST) dump sends "ATRD" once and listens to the rest.

#include <cstdint>
#include <string>

#include "ui/backend.h"

constexpr uint32_t EE_SIZE = 32768;
constexpr uint32_t EE_BLOCK = 64;
constexpr uint32_t EE_BLOCKS = EE_SIZE / EE_BLOCK;  // 512
constexpr uint32_t EE_LINE_DATA = 32;
constexpr uint32_t EE_LINE = 70;                       // 68 hex digits and CR LF
constexpr uint32_t EE_LINES = EE_SIZE / EE_LINE_DATA;  // 1024

namespace vx::loader {

// One dump line of 32 data bytes, CR LF included (70 characters).
std::string eepromLine(const uint8_t* data);

// A FAST dump waits this long for the next block of the stream.
constexpr uint32_t kEeBlockWaitMs = 1000;

// What the last dump came to, for the messages and the command line.
struct EepromDumpStats {
    bool fast = false;
    uint32_t blocks = 0;   // blocks received
    bool stopped = false;  // by the user (Stop, Ctrl+C)
    std::string why;       // why it failed, "" when written or stopped
    std::string partial;   // the file holding only the blocks of a failed dump, "" when none
};
const EepromDumpStats& lastDump();

// The dump itself into `path`. 1 = written (File_ee ← path); 0 = failed (a message was
// shown) or stopped. A failed dump leaves the blocks received, as whole lines, in `path`
// (never announced as a dump: File_ee stays as it was and the messages say it is
// incomplete); a stopped one, or one without any block, leaves `path` as it was.
int dumpEeprom(vx::ui::WindowHandle owner, const std::string& path, bool fast);

// Asks for FAST mode, then dumpEeprom.
int dumpEepromTo(vx::ui::WindowHandle owner, const std::string& path);

// The loader's Alt+E: the question, the dump into a file the user chooses, the result.
// 1 when a dump was written.
int downloadEeprom(vx::ui::WindowHandle owner);

}  // namespace vx::loader

// The file dialog, then the dump (FAST mode asked). 1 = dump written, 0 = no file chosen,
// failed or stopped.
int loadFileEeprom(vx::ui::WindowHandle hwndDlg);
