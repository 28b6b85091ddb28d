#pragma once
// Downloading the session: the most recent data pages and the temporary buffer, resampled
// into the data record file; in verbose mode also the dump and the flash image.

#include <cstdint>
#include <string>

#include "link/serial_port.h"
#include "ui/backend.h"

constexpr const char* DUMP_FILE = "QM41data.txt";
constexpr const char* IMAGE_FILE = "QM41data.bin";

// Downloads into the data record file `namefile` (a path), written complete or not at
// all. 1 on success; 0 on cancel, Stop or failure (vx::session::downloadFailure() says
// why a failure happened).
int32_t saveFile(vx::ui::WindowHandle hwndDlg, const char* namefile);

// Reads the logger's temporary buffer into buf (room for 528 bytes): the byte count
// (0 to 528), or -1 when the buffer could not be read (no reply, "ERR", a piece missing).
int32_t read_tmp_buffer(vx::link::SerialPort* port, uint8_t* buf);

namespace vx::session {

struct RawArchive;

// What a download keeps of the logger's answers (raw_archive.h).
struct RawOptions {
    std::string keepIn;  // a folder to keep the raw archive in ("" none)
    std::string since;   // an archive of this session to bring up to date: only the pages
                         // written since it was made are read, then appended to it
};

// saveFile with a raw archive kept or brought up to date. An archive that is incomplete or
// holds another session fails the download before anything is read. The data record file
// is the same as saveFile's for the same session; the archive is written before it.
int32_t downloadSession(vx::ui::WindowHandle hwndDlg, const char* namefile, const RawOptions& raw);

// The data record file `namefile` from a raw archive, with the current Tsample, as the
// download that wrote the archive would have written it; no logger is used. The archive's
// session becomes the current one (registers, table, clocks). 1 on success, 0 on Stop or
// failure (downloadFailure() says why).
int32_t convertArchive(vx::ui::WindowHandle hwndDlg, const char* namefile, const RawArchive& archive);

// Why the last saveFile failed ("page 0x0123 could not be read (ATRD: no reply within
// 2000 ms)"); empty when it was stopped or cancelled.
const std::string& downloadFailure();
}  // namespace vx::session
