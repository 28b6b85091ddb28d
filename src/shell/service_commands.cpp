#include "shell/service_commands.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "boards/board_io.h"
#include "link/clock.h"
#include "link/com.h"
#include "link/parsers.h"
#include "link/transaction.h"
#include "loader/bin_file.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace vx::shell {
namespace {

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

constexpr uint32_t kMaxEnergyTenths = 1000000000u;  // the dialog's 100000000 kWh

void pauseMs(uint32_t ms) {
    if (hCom)
        hCom->sleepMs(ms);
    else
        vx::link::sleepMs(ms);
}

bool ask(vx::ui::WindowHandle owner, const std::string& text) {
    return vx::ui::message(owner, text, "Question", Icon::Warning, Buttons::YesNo) == Answer::Yes;
}

// One byte that has arrived, without waiting for it.
bool takeByte() {
    if (!hCom) return false;
    uint8_t b;
    if (hCom->readByte(b)) return true;
    return hCom->waitReadable(0) && hCom->readByte(b);
}

// The first n characters of the reply are hexadecimal digits.
bool hexReply(int n) {
    if (iRx < n) return false;
    for (int i = 0; i < n; ++i)
        if (!std::isxdigit(Rx_buf[i])) return false;
    return true;
}

// A carriage-return command with a number of hex digits in its reply.
bool readHex(const char* command, int digits) {
    if (sendCOMMAND(hCom, command, 13) != 1) return false;
    if (vx::link::replyIsErr()) return vx::link::markReply(vx::link::TxError::ErrReply), false;
    if (!hexReply(digits)) return vx::link::markReply(vx::link::TxError::BadReply), false;
    return true;
}

int idleCommand(vx::ui::WindowHandle owner, const char* command, const char* status) {
    vx::link::LinkBusy busy;
    if (!vx::link::requestOk(command)) return 0;
    vx::ui::backend().setStatus(owner, 1, status);
    return 1;
}

void leaveUploadMode() {
    pauseMs(100);
    // Until the logger has taken "ATCM15" it takes every command as image data: without
    // its "OK" (the command or the answer lost) it is sent again; outside the mode the
    // logger just answers "OK".
    for (int i = 0; i < 3; ++i)
        if (sendCOMMAND(hCom, "ATCM15\r", 13) == 1 && RICEVUTO_OK()) break;
}

// The number an input dialog confirmed.
double editNumber() {
    return std::strtod(EditBuf, nullptr);
}

void setNumberDialog(const char* title, float min, float max, int32_t ndec, int32_t maxEdit) {
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", title);
    InputMin = min;
    InputMax = max;
    Ndec = ndec;
    MaxEdit = maxEdit;
}

}  // namespace

int enterIdle(vx::ui::WindowHandle owner) {
    return idleCommand(owner, "ATCM05\r", "Ingresso in stato IDLE");
}

int leaveIdle(vx::ui::WindowHandle owner) {
    return idleCommand(owner, "ATCM06\r", "Uscita dallo stato IDLE");
}

int clearFlash(vx::ui::WindowHandle owner, bool* declined) {
    if (declined) *declined = false;
    bool cleared = false;
    {
        vx::link::LinkBusy busy;
        if (vx::link::requestOk("ATCM05\r")) {
            if (!ask(owner,
                     "The flash memory will be cleared and all the data will be lost\r\n\r\nContinue ?")) {
                if (declined) *declined = true;
                return 0;
            }
            Show_wait_msg(owner, "Formattazione memoria Flash in corso...");
            sendCOMMAND(hCom, "ATCM09\r", 13);  // the reply is not examined
            // The logger signals the end of the clearing with a byte.
            for (int attempt = 0; attempt < kClearFlashAttempts; ++attempt) {
                if (takeByte()) {
                    pauseMs(100);
                    clearRxBuf(hCom);
                    if (vx::link::requestOk("ATCM06\r")) {
                        cleared = true;
                        break;
                    }
                }
                if (Test_wait_msg() == 0) break;
                pauseMs(500);
            }
        }
    }
    Close_wait_msg();
    if (!cleared) {
        vx::ui::message(owner, "The procedure has not been successfully completed !", "COM Error",
                        Icon::Error);
        return 0;
    }
    initSession(Flag.pages, owner);
    return 1;
}

AddressResult networkAddress(vx::ui::WindowHandle owner) {
    AddressResult r;
    vx::link::LinkBusy busy;
    clearRxBuf(hCom);
    if (!readHex("ATMY\r", 4)) {
        vx::ui::message(owner,
                        "Datalogger network address not readable !\r\n(It is required a FW version >= 1.3)",
                        "Com Error", Icon::Error);
        r.failed = true;
        return r;
    }
    r.read = true;
    r.address = uint16_t(str16_to_num(Rx_buf, 4));
    if (!ask(owner, "View and/or modify the network address of the datalogger ?")) return r;
    std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(r.address));
    MaxEdit = 3;
    if (DlgInputNum_(owner) != 1) return r;
    const long v = std::strtol(EditBuf, nullptr, 10);
    if (v < 0 || v > 65535) return r;
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATMY%04X\r", unsigned(v));
    if (!vx::link::requestOk(cmd)) {
        vx::ui::message(owner, "The operation was not completed !", "Data Error", Icon::Error);
        r.failed = true;
        return r;
    }
    r.set = true;
    r.newAddress = uint16_t(v);
    vx::ui::message(owner, vx::ui::format("%s = %u", "New Address", unsigned(v)), "Info", Icon::Information);
    return r;
}

UploadResult uploadFlashImage(vx::ui::WindowHandle owner, const std::optional<std::string>& path) {
    using Kind = UploadResult::Kind;
    UploadResult r;
    if (!ask(owner, "Upload data in flash memory ?")) return r;
    vx::link::LinkBusy busy;
    if (!vx::link::requestOk("ATCM14\r")) {
        // Only "ERR" says the logger stayed out of upload mode; after a reply that did not
        // come (or came spoilt) it may be in it, taking every later command as image data.
        if (!vx::link::replyIsErr()) leaveUploadMode();
        vx::ui::message(owner, "Flash Upload Mode not supported !\r\n(It is required a FW version >= 1.8)",
                        "System Error", Icon::Error);
        r.kind = Kind::NotSupported;
        return r;
    }
    // From here on every way out takes the logger out of its upload mode, which would
    // otherwise take the next commands as image data.
    vx::loader::BinFile file;
    uint32_t pages = 0;
    const int got = path ? vx::loader::openBinFile(owner, *path, file) : getBinFile(owner, file, &pages);
    if (got != 1) {
        leaveUploadMode();
        r.kind = Kind::NoFile;
        return r;
    }
    pages = r.pages = file.pages();
    if (!ask(owner, vx::ui::format("%u %s", pages, "pages will be loaded into flash memory. Continue ?"))) {
        file.close();
        leaveUploadMode();
        return r;
    }
    Show_wait_msg(owner, "Uploading...");
    const uint32_t total = pages * BIN_PIECES_PER_PAGE;
    uint8_t piece[BIN_PIECE_SIZE];
    for (uint32_t i = 0; i < total; ++i) {
        Setbar_wait_msg(i, total);
        r.pagesWritten = i / BIN_PIECES_PER_PAGE;
        if (Test_wait_msg() == 0) {
            leaveUploadMode();
            vx::ui::message(
                owner,
                vx::ui::format("%s %u/%u)", "Upload incomplete !\r\n(Pages written:", r.pagesWritten, pages),
                "Data Error", Icon::Error);
            r.kind = Kind::Stopped;
            return r;
        }
        if (!file.readPiece(piece)) {
            // The file changed since it was checked: no partial or stale piece is sent.
            Close_wait_msg();
            leaveUploadMode();
            vx::ui::message(owner,
                            vx::ui::format("The image file could not be read !\r\n(Pages written: %u/%u)",
                                           r.pagesWritten, pages),
                            "File Error", Icon::Error);
            r.kind = Kind::FileError;
            return r;
        }
        if (sendCOMMAND(hCom, piece, TX_48_END_RX_CR) != 1 || !RICEVUTO_OK()) {
            if (vx::link::lastTransaction().error == vx::link::TxError::None)
                vx::link::markReply(vx::link::TxError::NotOk);
            vx::ui::message(owner, "A data packet was not accepted !", "Data Error", Icon::Error);
            file.close();
            Close_wait_msg();
            leaveUploadMode();
            r.kind = Kind::Rejected;
            return r;
        }
    }
    Setbar_wait_msg(total, total);
    leaveUploadMode();
    file.close();
    Close_wait_msg();
    r.pagesWritten = pages;
    r.kind = Kind::Done;
    return r;
}

int pagePointers(vx::ui::WindowHandle owner) {
    if (!ask(owner, "Edit PAGE_TAB and PAGE_LAST address ?")) return 1;
    const struct {
        const char* title;
        uint16_t value;
        const char* format;
    } steps[] = {{"PAGE_TAB Address", PagTab, "ATPT%04X\r"}, {"PAGE_LAST Address", PagLast, "ATPL%04X\r"}};
    int result = 1;
    vx::link::LinkBusy busy;
    for (const auto& s : steps) {
        setNumberDialog(s.title, 0, 4095, 0, 4);
        std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(s.value));
        if (DlgInputNum2_(owner) != 1) continue;
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, s.format, unsigned(uint16_t(std::strtol(EditBuf, nullptr, 10))));
        if (!vx::link::requestOk(cmd)) {
            vx::ui::message(owner, "The operation was not completed !", "Data Error", Icon::Error);
            result = 0;
        }
    }
    return result;
}

bool daysCounterAvailable() {
    return Flag.VT71 == 1 && Datalogger.fw >= 0x20;
}

CounterResult energyCounters(vx::ui::WindowHandle owner) {
    CounterResult r;
    const char* failText =
        Flag.NOD85 == 1 ? "Communication error with NOD85 !" : "Communication error with VT71a !";
    auto fail = [&] {
        vx::ui::message(owner, failText, "Data Error", Icon::Error);
        r.failed = true;
        return r;
    };
    vx::link::LinkBusy busy;
    if (!readHex("ATSE\r", 8)) return fail();
    r.read = true;
    r.energy = uint32_t(str16_to_num(Rx_buf, 8));
    setNumberDialog("Energy Counter (kWh)", 0, 100000000.0f, 1, 10);
    std::snprintf(EditBuf, sizeof EditBuf, "%1.1f", double(r.energy) / 10.0);
    char cmd[16];
    if (DlgInputNum2_(owner) == 1) {
        // Rounded to the tenth: the value shown, confirmed as it is, keeps the counter.
        const long long tenths = std::llround(editNumber() * 10.0);
        r.newEnergy = tenths <= 0 ? 0u : tenths >= kMaxEnergyTenths ? kMaxEnergyTenths : uint32_t(tenths);
        std::snprintf(cmd, sizeof cmd, "ATSE%08X\r", unsigned(r.newEnergy));
        if (!vx::link::requestOk(cmd)) return fail();
        r.energySet = true;
    }
    if (!daysCounterAvailable()) return r;
    r.daysAsked = true;
    setNumberDialog("Days counter", 0, 9999, 0, 4);
    EditBuf[0] = '\0';
    if (DlgInputNum2_(owner) != 1) return r;
    const double days = editNumber();
    r.days = days <= 0 ? 0u : uint32_t(days);
    std::snprintf(cmd, sizeof cmd, "ATSE%08X\r", unsigned(~r.days));
    if (!vx::link::requestOk(cmd)) return fail();
    r.daysSet = true;
    return r;
}

int optionRegister(vx::ui::WindowHandle owner) {
    auto fail = [&] {
        vx::ui::message(owner, "Communication error with VT71a !", "Data Error", Icon::Error);
        return 0;
    };
    vx::link::LinkBusy busy;
    uint32_t value = 0;
    if (read_EE_par(2, 21, &value) != 1) return fail();
    setNumberDialog("Option register", 0, 65535, 0, 5);
    std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(value));
    if (DlgInputNum2_(owner) != 1) return 0;
    if (write_EE_par(2, 21, uint16_t(std::strtol(EditBuf, nullptr, 10))) != 1) return fail();
    vx::ui::message(owner, "Parameter updated !\r\nNote: the value is written in volatile mode", "Info",
                    Icon::Information);
    return 1;
}

}  // namespace vx::shell
