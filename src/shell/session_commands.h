#pragma once
// The main window's procedures on the logger's session, shared with the command-line
// tool so that both front ends do the same: reading the session when the device is
// connected, and "Start" (the download, or the table already downloaded).

#include <cstdint>
#include <string>

#include "session/download.h"
#include "ui/backend.h"

namespace vx::shell {

// Reads the session as the main window does when it opens: the page reading mode for the
// device, initSession, and for a VT71 or NOD85 board its averaging time as the sample time
// (900 s when it cannot be read).
void openSession(vx::ui::WindowHandle owner);

struct DownloadOutcome {
    enum class Kind {
        Downloaded,    // the file was written
        Reused,        // the user kept the table already downloaded
        Refused,       // no table to decode the data with (a message said why)
        NotCompleted,  // cancelled, stopped or failed ("Download procedure was not completed !")
    };
    Kind kind = Kind::NotCompleted;
    std::string path;  // the file, with its folder
    uint32_t rows = 0, columns = 0;
};

// "Start": the status bar's texts, the download into `name` (the session start text in the
// window, or the user's choice) or the question before downloading again, and every
// message the outcome calls for. `raw` keeps the raw archive or brings one up to date.
DownloadOutcome startDownload(vx::ui::WindowHandle owner, const std::string& name,
                              const vx::session::RawOptions& raw = {});

// "250101_120000: 1234 rows, 12 columns, in /home/user" for the status bar and the CLI.
std::string describeDownload(const DownloadOutcome& d);

}  // namespace vx::shell
