#include "boards/board_commands.h"

#include "boards/board_io.h"
#include "link/clock.h"
#include "link/com.h"
#include "link/parsers.h"
#include "link/transaction.h"
#include "state/flags.h"
#include "ui/wait_window.h"

namespace vx::boards {

namespace {

constexpr uint32_t kRebootMs = 6000;  // the time a board gets to come back
constexpr uint32_t kPauseMs = 100;    // between questions that failed at once

uint64_t portNowMs() {
    return hCom ? hCom->nowMs() : vx::link::nowMs();
}

// A command whose reply must be OK, then the reboot and the image.
bool commandAndReboot(vx::ui::WindowHandle owner, const char* command, const char* failed,
                      std::string* error) {
    vx::link::clearFailure();
    bool ok = false;
    {
        vx::link::LinkBusy busy;
        ok = vx::link::requestOk(command) && waitHostReboot(owner) == 1;
    }
    if (!ok) {
        if (error) *error = failed;
        return false;
    }
    if (loadParcfg() != 0) {
        if (error) *error = boardCommError();
        return false;
    }
    return true;
}

}  // namespace

const char* hostBoardName() {
    return Flag.NOD85 == 1 ? "NOD85" : "VT71a";
}

std::string saveQuestion() {
    return vx::ui::format("%s %s ?", "Save to non-volatile memory the current parameter values of",
                          hostBoardName());
}

std::string defaultsQuestion() {
    return vx::ui::format("%s %s ?", "Restore the default parameter values of", hostBoardName());
}

std::string boardCommError() {
    return vx::ui::format("Communication error with %s !", hostBoardName());
}

int waitHostReboot(vx::ui::WindowHandle owner) {
    const std::string text = vx::ui::format("Wait for %s reboot", hostBoardName());
    Show_wait_msg(owner, text.c_str());
    const uint64_t start = portNowMs();
    int result = 0;
    for (uint64_t elapsed = 0; elapsed < kRebootMs; elapsed = portNowMs() - start) {
        Setbar_wait_msg(uint32_t(elapsed), kRebootMs);
        if (!Test_wait_msg()) return 0;  // the window is closed already
        if (sendCOMMAND(hCom, "ATOS\r", 13)) {
            result = 1;
            break;
        }
        // A port that fails at once would be asked again and again without a pause.
        if (hCom) hCom->sleepMs(kPauseMs);
    }
    Close_wait_msg();
    if (result == 1) vx::link::clearFailure();  // the board is back: the silence is no fault
    return result;
}

bool saveBoardImage(std::string* error) {
    vx::link::clearFailure();
    vx::link::LinkBusy busy;
    if (vx::link::requestOk("ATCM12\r")) return true;
    if (error) *error = SAVE_FAILED;
    return false;
}

bool restoreBoardDefaults(vx::ui::WindowHandle owner, std::string* error) {
    return commandAndReboot(owner, "ATCM13\r", DEFAULTS_FAILED, error);
}

bool resetBoard(vx::ui::WindowHandle owner, std::string* error) {
    return commandAndReboot(owner, "ATCM0F\r", RESET_FAILED, error);
}

void sendRemoteCommand(int which) {
    {
        vx::link::LinkBusy busy;
        sendCOMMAND(hCom, which == 2 ? "ATCM11\r" : "ATCM10\r", 13);  // the reply is not examined
    }
    if (hCom) hCom->sleepMs(500);
}

std::string ownAddressText() {
    vx::link::LinkBusy busy;
    if (sendCOMMAND(hCom, "ATMY\r", 13) && !vx::link::replyIsErr() && iRx >= 4)
        return vx::ui::format("/ %u", unsigned(str16_to_num(Rx_buf, 4)));
    return "/ ?";
}

}  // namespace vx::boards
