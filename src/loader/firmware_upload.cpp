#include "loader/firmware_upload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "link/com.h"
#include "link/transaction.h"
#include "loader/firmware_file.h"
#include "loader/loader_state.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace vx::loader {
namespace {

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

FwUploadStats gStats;

const uint8_t kUploadMode[] = "ATCM04\r";
const uint8_t kLeaveUploadMode[] = "ATCM10\r";

uint64_t now() {
    return hCom ? hCom->nowMs() : 0;
}
void pause(uint32_t ms) {
    if (hCom) hCom->sleepMs(ms);
}

// Raw bytes with nothing read and nothing discarded: acknowledgements already on their
// way stay in the port for the loop that counts them.
bool writeRaw(const uint8_t* data, int n) {
    return sendCOMMAND2(hCom, data, int8_t(n), 0, 0) == 1;
}

// The sentence of the last failed transaction, behind a text of the program's own.
std::string withReason(const std::string& text) {
    const std::string r = vx::link::lastFailureText();
    return r.empty() ? text : text + "\r\n(" + r + ")";
}

// The user stopped: the device leaves upload mode.
int cancelled(int32_t savedTimeout) {
    Timeout_rx = savedTimeout;
    gStats.cancelled = true;
    pause(100);
    sendCOMMAND(hCom, kLeaveUploadMode, NO_RX);
    return 0;
}

// The device kept refusing or went quiet: it leaves upload mode, the caller says so.
int gaveUp(int32_t savedTimeout, const std::string& why) {
    Timeout_rx = savedTimeout;
    gStats.why = why;
    Close_wait_msg();
    pause(100);
    sendCOMMAND(hCom, kLeaveUploadMode, NO_RX);
    return 0;
}

void status(bool fast) {
    char b[64];
    if (fast)
        std::snprintf(b, sizeof b, "Err: %u, Txd: %u, Ack: %u", unsigned(gStats.errors),
                      unsigned(gStats.sent), unsigned(gStats.acked));
    else
        std::snprintf(b, sizeof b, "Err: %u, Txd: %u", unsigned(gStats.errors), unsigned(gStats.acked));
    Print_wait_msg(b);
}

int uploadSlow() {
    const int32_t saved = Timeout_rx;
    const uint32_t n = FW.npack;
    int tries = 0;  // failures of the current record in a row
    for (uint32_t i = 0; i < n;) {
        Setbar_wait_msg(i, n);
        if (!Test_wait_msg()) return cancelled(saved);
        ++gStats.sent;
        const bool answered = sendCOMMAND(hCom, FW.data[i], TX_34_END_RX_CR) == 1;
        if (answered && RICEVUTO_OK()) {
            gStats.acked = ++i;
            tries = 0;
            continue;
        }
        // Only "ERR" says the record was not stored. Without an answer (or with another
        // one) the board may hold it already, and sending it again would store it twice,
        // shifting the rest of the image: the upload stops instead.
        const bool refused = answered && vx::link::replyIsErr() && iRx == 3;
        if (iRx > 0 && !RICEVUTO_OK()) vx::link::markReply(vx::link::TxError::NotOk);
        ++gStats.errors;
        status(false);
        if (!refused)
            return gaveUp(saved, withReason(vx::ui::format("Record %u was not acknowledged.", unsigned(i))));
        if (++tries > kFwMaxRetries || (hCom && hCom->gone()))
            return gaveUp(saved, withReason(vx::ui::format("Record %u was not acknowledged.", unsigned(i))));
        sendCOMMAND(hCom, kUploadMode, NO_RX);
        pause(200);
    }
    Setbar_wait_msg(n, n);
    return 1;
}

int uploadFast() {
    const int32_t saved = Timeout_rx;
    const uint32_t n = FW.npack;
    const uint32_t interval = T_updfw_fast;
    Timeout_rx = int32_t(interval);
    FastAcks acks;
    uint64_t lastSend = 0;
    bool anySent = false;
    uint64_t lastHeard = now();
    int rewinds = 0;         // rewinds since the last acknowledgement
    bool rewound = false;    // "ATCM04" went out, the first record to resend not yet
    uint64_t rewoundAt = 0;  // when that "ATCM04" went out

    // The board refused a record and drops what follows until "ATCM04": it is told to take
    // the records again from the first unacknowledged one.
    auto rewind = [&](uint64_t t) {
        const uint64_t since = t - lastSend;
        if (anySent && since < interval) pause(uint32_t(interval - since));
        lastSend = now();
        writeRaw(kUploadMode, 7);
        gStats.sent = gStats.acked;
        ++gStats.errors;
        lastHeard = lastSend;
        rewound = true;
        rewoundAt = lastSend;
        status(true);
    };

    while (gStats.acked < n) {
        if (!Test_wait_msg()) return cancelled(saved);
        uint64_t t = now();
        // After a rewind the board's answer to "ATCM04", if any, is given a time-out to come
        // before the record goes out, so that it cannot pass for that record's.
        const uint64_t gap = rewound ? std::max<uint64_t>(interval, uint64_t(saved)) : interval;
        const uint64_t since = rewound ? t - rewoundAt : t - lastSend;
        if (gStats.sent < n && (!anySent || since > gap)) {
            if (!writeRaw(FW.data[gStats.sent], FW_RECORD))
                return gaveUp(saved, withReason("The port did not take the record."));
            lastSend = t;
            anySent = true;
            rewound = false;
            ++gStats.sent;
            status(true);
        }
        // Wait for a byte until the next record is due, polling the window meanwhile.
        t = now();
        uint64_t wait = 50;
        if (gStats.sent < n) {
            const uint64_t due = (rewound ? rewoundAt + gap : lastSend + interval) + 1;
            wait = due > t ? due - t : 0;
            if (wait > 50) wait = 50;
        }
        uint8_t b;
        if (hCom && hCom->waitReadable(int(wait)) && hCom->readByte(b)) {
            t = now();
            lastHeard = t;
            switch (acks.feed(b, t)) {
                case FastAcks::Event::Ack:
                    // A board that drops what follows a refused record answers nothing until
                    // the record comes again. An "OK" now answered the "ATCM04" itself: the
                    // board had restarted, left upload mode, and now starts a new upload at
                    // the first record, which the resent records would overwrite.
                    if (rewound)
                        return gaveUp(saved, vx::ui::format("The board restarted its upload at record %u.",
                                                            unsigned(gStats.acked)));
                    ++gStats.acked;
                    rewinds = 0;
                    Setbar_wait_msg(gStats.acked, n);
                    status(true);
                    break;
                case FastAcks::Event::Rewind:
                    if (++rewinds > kFwMaxRetries)
                        return gaveUp(
                            saved, vx::ui::format("Record %u was not acknowledged.", unsigned(gStats.acked)));
                    rewind(t);
                    break;
                case FastAcks::Event::None:
                    break;
            }
            continue;
        }
        if (!hCom || hCom->gone()) return gaveUp(saved, "The device is no longer connected.");
        t = now();
        // Records out and nothing back: a record or its acknowledgement was lost, and which
        // one cannot be told. The board may hold every record sent (then one sent again would
        // be stored twice) or may have stored the later ones one place early: the upload
        // stops instead of guessing.
        if (gStats.sent > gStats.acked && t - lastHeard >= kFwSilenceMs)
            return gaveUp(saved, vx::ui::format("No acknowledgement of record %u.", unsigned(gStats.acked)));
    }
    Timeout_rx = saved;
    return 1;
}

}  // namespace

const FwUploadStats& lastUpload() {
    return gStats;
}

FastAcks::Event FastAcks::feed(uint8_t b, uint64_t nowMs) {
    last_[0] = last_[1];
    last_[1] = last_[2];
    last_[2] = last_[3];
    last_[3] = b;
    if (!open_ && nowMs - closedAt_ >= kFwErrLatchMs) open_ = true;
    if (last_[1] == 'O' && last_[2] == 'K' && last_[3] == '\r') {
        open_ = true;
        return Event::Ack;
    }
    if (last_[0] == 'E' && last_[1] == 'R' && last_[2] == 'R' && last_[3] == '\r' && open_) {
        closeLatch(nowMs);
        return Event::Rewind;
    }
    return Event::None;
}

int askFastInterval(vx::ui::WindowHandle owner) {
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", "T(ms) UPD-FW modo FAST");
    std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(T_updfw_fast));
    InputMin = 10;
    InputMax = 1000;
    Ndec = 0;
    MaxEdit = 3;
    if (DlgInputNum2_(owner) != 1) return 0;
    const long v = std::strtol(EditBuf, nullptr, 10);
    if (v < 10 || v > 1000) return 0;
    T_updfw_fast = uint16_t(v);
    return 1;
}

void resetAfterUpload(vx::ui::WindowHandle hwndDlg) {
    Show_wait_msg(hwndDlg, "Firmware updating...");
    sendCOMMAND(hCom, "ATCM0F\r", 13);
    // The device restarts meanwhile: the bar runs over 5 s and cannot be stopped.
    const uint64_t start = now();
    for (uint64_t t = start; t - start < 5000; t = now()) {
        Setbar_wait_msg(uint32_t(t - start), 5000);
        if (hDlgWait) vx::ui::backend().pollWait();
        pause(100);
    }
    Close_wait_msg();
}

void finishBootUpload() {
    const uint8_t zeros[64] = {};
    writeRaw(zeros, 64);
    const uint8_t one = 0x01, quit = 'Q';
    writeRaw(&one, 1);
    writeRaw(&quit, 1);
}

namespace {

// "Upload not completed !" with why the upload stopped, when it is known.
void failedMessage(vx::ui::WindowHandle hwndDlg) {
    std::string text = "Upload not completed !";
    if (!gStats.why.empty()) text += "\r\n" + gStats.why;
    vx::ui::message(hwndDlg, text, "Error", Icon::Error);
}

}  // namespace

int updateFirmware(vx::ui::WindowHandle hwndDlg) {
    if (FW.npack == 0) return 0;
    vx::link::LinkBusy busy;
    vx::link::clearFailure();
    if (Flag.QM43BOOT == 1) {
        if (vx::ui::message(hwndDlg, "The new firmware will be loaded into QM43, continue ?", "Question",
                            Icon::Question, Buttons::YesNo) != Answer::Yes)
            return 0;
        if (uploadFW2(hwndDlg) != 1) {
            if (!gStats.cancelled) failedMessage(hwndDlg);
            return 0;
        }
        vx::ui::message(hwndDlg, "Upload finished successfully !", "Info", Icon::Information);
        finishBootUpload();
        return 2;
    }
    if (vx::ui::message(hwndDlg, "The new firmware will be loaded into the i2c EEPROM, continue ?",
                        "Question", Icon::Question, Buttons::YesNo) != Answer::Yes)
        return 0;
    if (uploadFW(hwndDlg) != 1) {
        if (!gStats.cancelled) failedMessage(hwndDlg);
        return 0;
    }
    if (vx::ui::message(
            hwndDlg,
            "Upload finished. To complete the update, you must perform a device reset.\r\nProceed now ?",
            "Question", Icon::Question, Buttons::YesNo) == Answer::Yes)
        resetAfterUpload(hwndDlg);
    return 1;
}

}  // namespace vx::loader

using vx::loader::gStats;

int uploadFW(vx::ui::WindowHandle hwndDlg) {
    using namespace vx::ui;
    gStats = {};
    gStats.total = FW.npack;
    if (FW.npack == 0) return 0;
    vx::link::LinkBusy busy;
    const bool fast = message(hwndDlg, "FAST mode ?\r\n(Only recommended for remote dial-up)", "Question",
                              Icon::Question, Buttons::YesNo) == Answer::Yes;
    const unsigned blocks = vx::loader::fwBlockCount(FW.npack);
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%04X\r", blocks);
    if (!vx::link::requestOk(cmd)) {
        const std::string text = format("%s Nblock (ATRD%04X) !", "Setting error", blocks);
        gStats.why = vx::loader::withReason(text);
        message(hwndDlg, gStats.why, "Com error", Icon::Error);
        gStats.why = text;
        return 0;
    }
    sendCOMMAND(hCom, "ATCM04\r", 13);
    Show_wait_msg(hwndDlg, "Uploading...");
    const int ok = fast ? vx::loader::uploadFast() : vx::loader::uploadSlow();
    if (!ok) return 0;
    hCom->sleepMs(100);
    sendCOMMAND(hCom, "ATCM10\r", 13);
    Close_wait_msg();
    return 1;
}

int uploadFW2(vx::ui::WindowHandle hwndDlg) {
    using namespace vx::ui;
    gStats = {};
    gStats.total = FW.npack;
    if (FW.npack == 0) return 0;
    vx::link::LinkBusy busy;
    const uint8_t plus = '+';
    sendCOMMAND2(hCom, &plus, 1, 2, 500);  // the boot loader's greeting, not checked
    Show_wait_msg(hwndDlg, "Uploading...");
    const uint32_t n = FW.npack;
    uint8_t sum = 0;
    int refusals = 0;  // of the current pair, in a row
    for (uint32_t i = 0; i < n; ++i) {
        Setbar_wait_msg(i, n);
        if (!Test_wait_msg()) {
            gStats.cancelled = true;
            Close_wait_msg();
            return 0;
        }
        for (int j = 0; j < FW_RECORD_DATA; ++j) {
            const uint8_t b = FW.data[i][j];
            sendCOMMAND2(hCom, &b, 1, 0, 0);
            sum = uint8_t(sum + b);
        }
        ++gStats.sent;
        if (i % 2 == 0) continue;
        const uint8_t check = sum;
        const bool answered = sendCOMMAND2(hCom, &check, 1, 1, 500) == 1;
        if (answered && Rx_buf[0] == 0x01) {
            sum = 0;
            refusals = 0;
            gStats.acked = i + 1;
            continue;
        }
        if (answered && Rx_buf[0] == 0x00) {
            ++gStats.errors;
            if (++refusals <= vx::loader::kFwMaxRetries &&
                message(hwndDlg, "Error in the reception of the data packet, try again ?", "Question",
                        Icon::Question, Buttons::YesNo) == Answer::Yes) {
                sum = 0;
                i -= 2;  // the pair again, from its first record
                continue;
            }
            gStats.why = format("Block %u was refused.", unsigned(i / 2));
            Close_wait_msg();
            return 0;
        }
        if (answered) vx::link::markReply(vx::link::TxError::BadReply);
        gStats.why = vx::loader::withReason("No ack received from target !");
        Close_wait_msg();
        message(hwndDlg, "No ack received from target !", "Boot error", Icon::Error);
        return 0;
    }
    Close_wait_msg();
    return 1;
}
