#pragma once
// Uploading the firmware image FW: into a running board's I2C EEPROM through AT commands
// (uploadFW, acknowledged record by record or streamed in FAST mode), or into a QM43
// waiting in its boot loader (uploadFW2, 64-byte blocks with an additive checksum).

#include <cstdint>
#include <string>

#include "ui/backend.h"

namespace vx::loader {

// What the last upload came to, for the messages and the command line.
struct FwUploadStats {
    uint32_t total = 0;   // records of the image
    uint32_t sent = 0;    // records written, resent ones included
    uint32_t acked = 0;   // records the device acknowledged
    uint32_t errors = 0;  // records rejected (or rewinds of the streamed upload)
    bool cancelled = false;
    std::string why;  // why it stopped, "" when it went through or was cancelled
};
const FwUploadStats& lastUpload();

// Blocks of 64 data bytes announced with "ATRD%04X" for a number of records.
inline uint16_t fwBlockCount(uint16_t npack) {
    return uint16_t(npack / 2);
}

// A rejected record is sent again at most this many times in a row before the upload
// gives up, and the streamed upload gives up after this many rewinds without progress.
constexpr int kFwMaxRetries = 10;
// The streamed upload stops when no byte has come back for this long with records out.
constexpr uint32_t kFwSilenceMs = 4000;
// After a rewind, another "ERR" is taken only this long after it.
constexpr uint32_t kFwErrLatchMs = 2000;

// The acknowledgements of the streamed upload as they come back, byte by byte, with the
// time of each: "OK\r" acknowledges one record; "ERR\r" asks for a rewind, at most once
// per kFwErrLatchMs (an acknowledgement opens the latch again at once).
class FastAcks {
  public:
    enum class Event { None, Ack, Rewind };
    Event feed(uint8_t b, uint64_t nowMs);

  private:
    void closeLatch(uint64_t nowMs) {
        open_ = false;
        closedAt_ = nowMs;
    }
    uint8_t last_[4] = {};
    bool open_ = true;
    uint64_t closedAt_ = 0;
};

}  // namespace vx::loader

// Uploads FW into the device's I2C EEPROM. Asks for FAST mode. 1 = every record
// acknowledged, 0 = failed (a message was shown) or stopped by the user.
int uploadFW(vx::ui::WindowHandle hwndDlg);

// Uploads FW through the QM43 boot loader. 1 = every block acknowledged, 0 = failed (a
// message was shown) or stopped by the user.
int uploadFW2(vx::ui::WindowHandle hwndDlg);

namespace vx::loader {

// The reset that makes the device take the uploaded firmware: "ATCM0F", then the wait
// window "Firmware updating..." for 5 s while the device restarts.
void resetAfterUpload(vx::ui::WindowHandle hwndDlg);

// What the boot loader gets after a complete upload: 64 bytes 0x00, 0x01, 'Q'.
void finishBootUpload();

// Alt+T of the loader: the packet interval of FAST mode (10 ... 1000 ms) in the numeric
// input dialog; 1 when T_updfw_fast was changed.
int askFastInterval(vx::ui::WindowHandle owner);

// The loader's "Update now": the question, the upload on the path the device needs, the
// messages and (normal path) the reset question. 0 = not done (declined, stopped or
// failed), 1 = uploaded into the EEPROM, 2 = uploaded through the boot loader (the loader
// window then closes with 2).
int updateFirmware(vx::ui::WindowHandle hwndDlg);

}  // namespace vx::loader
