#include "loader/eeprom_dump.h"

#include <cstdio>
#include <system_error>

#include "boards/powerone_crc.h"
#include "link/com.h"
#include "link/transaction.h"
#include "loader/loader_state.h"
#include "platform/atomic_file.h"
#include "platform/signals.h"
#include "ui/wait_window.h"

namespace vx::loader {
namespace {

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

EepromDumpStats gStats;

uint64_t now() {
    return hCom ? hCom->nowMs() : 0;
}

std::string withReason(const std::string& text) {
    const std::string r = vx::link::lastFailureText();
    return r.empty() ? text : text + "\r\n(" + r + ")";
}

// The next block of a stream the device is sending: waits up to kEeBlockWaitMs for it.
// A block cut short fails at once: what follows it would be read out of step.
bool listenBlock() {
    const uint64_t start = now();
    for (;;) {
        if (sendCOMMAND(hCom, "", 'U') == 1) return true;
        if (vx::link::lastTransaction().received > 0 || !hCom || hCom->gone()) return false;
        const uint64_t elapsed = now() - start;
        if (elapsed >= kEeBlockWaitMs) return false;
        hCom->waitReadable(int(kEeBlockWaitMs - elapsed));
    }
}

// What a stream still brings after it was given up: read and dropped until the line is
// quiet, so that it does not pass for the reply of the next command.
void drainStream() {
    if (!hCom) return;
    const uint64_t start = now();
    uint8_t b;
    while (now() - start < 2000 && hCom->waitReadable(100))
        while (hCom->readByte(b)) {
        }
}

// A failed dump leaves the blocks received in the file the user chose, whole lines only;
// the messages say it is incomplete and File_ee does not take it. Nothing at all when no
// block came.
void keepPartial(vx::platform::AtomicFile& file, const std::string& path) {
    if (gStats.blocks == 0) return file.discard();
    if (file.commit()) gStats.partial = path;
}

}  // namespace

std::string eepromLine(const uint8_t* data) {
    char line[EE_LINE + 1];
    for (uint32_t i = 0; i < EE_LINE_DATA; ++i)
        std::snprintf(line + 2 * i, 3, "%02X", unsigned(data[i]));
    const uint16_t crc = vx::boards::poweroneCrc16(data, EE_LINE_DATA);
    std::snprintf(line + 2 * EE_LINE_DATA, 7, "%02X%02X\r\n", unsigned(crc & 0xFF), unsigned(crc >> 8));
    return std::string(line, EE_LINE);
}

const EepromDumpStats& lastDump() {
    return gStats;
}

int dumpEeprom(vx::ui::WindowHandle owner, const std::string& path, bool fast) {
    gStats = {};
    gStats.fast = fast;
    vx::link::LinkBusy busy;
    vx::link::clearFailure();
    auto commandFailed = [&](const char* cmd) {
        gStats.why = vx::ui::format("%s command not executed !", cmd);
        vx::ui::message(owner, withReason(gStats.why), "Com error", Icon::Error);
        return 0;
    };
    // The blocks per request: all of them (FAST) or one.
    if (fast ? !vx::link::requestOk("ATRD0200\r") : !vx::link::requestOk("ATRD0001\r"))
        return commandFailed(fast ? "ATRD0200" : "ATRD0001");
    if (!vx::link::requestOk("ATRD4000\r")) return commandFailed("ATRD4000");

    Show_wait_msg(owner, "Downloading...");
    vx::ui::setWaitUnit("blocks");
    vx::platform::AtomicFile file;
    if (!file.open(path)) {
        Close_wait_msg();
        gStats.why = file.error();
        return 0;
    }
    for (uint32_t b = 0; b < EE_BLOCKS; ++b) {
        Setbar_wait_msg(b, EE_BLOCKS);
        // A stream cannot be stopped from the window (the device sends on regardless); Ctrl+C
        // of the command line still ends it.
        const bool stop = fast ? vx::platform::interruptRequested() : !Test_wait_msg();
        if (stop) {
            gStats.stopped = true;
            Close_wait_msg();
            file.discard();  // a stream stopped by Ctrl+C ends with the command and its port
            return 0;
        }
        const bool got = (!fast || b == 0) ? sendCOMMAND(hCom, "ATRD\r", 'U') == 1 : listenBlock();
        if (!got) {
            Close_wait_msg();
            if (fast) drainStream();
            gStats.why = std::string("Error in block No.") + vx::ui::format(" %u !", unsigned(b));
            // A stream that just stopped coming was waited for kEeBlockWaitMs, not the time-out.
            const bool silent = fast && b > 0 && vx::link::lastTransaction().received == 0;
            const std::string shown =
                silent ? gStats.why +
                             vx::ui::format("\r\n(waiting for data: no block within %u ms)", kEeBlockWaitMs)
                       : withReason(gStats.why);
            vx::ui::message(owner, shown, "Com error", Icon::Error);
            keepPartial(file, path);
            return 0;
        }
        ++gStats.blocks;
        const std::string lines = eepromLine(Rx_buf) + eepromLine(Rx_buf + EE_LINE_DATA);
        file.write(lines.data(), lines.size());
    }
    Setbar_wait_msg(EE_BLOCKS, EE_BLOCKS);
    Close_wait_msg();
    if (!file.commit()) {
        gStats.why = file.error();
        vx::ui::message(owner, gStats.why, "File Error", Icon::Error);
        return 0;
    }
    File_ee = path;
    return 1;
}

int dumpEepromTo(vx::ui::WindowHandle owner, const std::string& path) {
    gStats = {};
    const bool fast =
        vx::ui::message(owner,
                        "FAST mode ?\r\n(Recommended mode)\r\nPlease note: the procedure can not be stopped",
                        "Question", Icon::Question, Buttons::YesNo) == Answer::Yes;
    return dumpEeprom(owner, path, fast);
}

int downloadEeprom(vx::ui::WindowHandle owner) {
    if (vx::ui::message(owner, "Download i2c EEPROM data into a file ?", "Question", Icon::Question,
                        Buttons::YesNo) != Answer::Yes)
        return 0;
    if (loadFileEeprom(owner) == 1) {
        vx::ui::message(owner, vx::ui::format("%s %s", "Data saved into file", File_ee.c_str()), "Info",
                        Icon::Information);
        return 1;
    }
    std::string text = "Download procedure was not completed !";
    if (!gStats.why.empty()) text += "\r\n" + gStats.why;
    if (!gStats.partial.empty())
        text += vx::ui::format("\r\n%s holds only the %u blocks received (of %u): it is incomplete.",
                               gStats.partial.c_str(), unsigned(gStats.blocks), unsigned(EE_BLOCKS));
    vx::ui::message(owner, text, "Error", Icon::Error);
    return 0;
}

}  // namespace vx::loader

int loadFileEeprom(vx::ui::WindowHandle hwndDlg) {
    vx::loader::gStats = {};
    vx::ui::FileDialogOptions o;
    o.filters = {{"EE Data Files (*.ee)", "*.ee"}, {"All Files (*.*)", "*.*"}};
    o.defaultExt = "ee";
    o.askOverwrite = true;
    const auto name = vx::ui::backend().saveFileName(hwndDlg, o);
    if (!name) return 0;
    return vx::loader::dumpEepromTo(hwndDlg, *name);
}
