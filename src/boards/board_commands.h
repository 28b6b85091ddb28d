#pragma once
// The board's own commands: saving the image into its non-volatile memory, restoring its
// default values and resetting it, the last two followed by the wait for its reboot and a
// fresh read of the image. Each answers true when done; otherwise the message for the
// user is in *error (the failed transaction, if any, in vx::link::lastFailureText()).
// The questions are the caller's to ask.

#include <string>

#include "ui/backend.h"

namespace vx::boards {

// "VT71a" or, for the interface board, "NOD85".
const char* hostBoardName();

// The questions before saving and before the defaults.
std::string saveQuestion();      // "Save to non-volatile memory the current parameter values of VT71a ?"
std::string defaultsQuestion();  // "Restore the default parameter values of VT71a ?"
// "Communication error with VT71a !" (or NOD85): reading the image failed.
std::string boardCommError();

constexpr const char* SAVE_FAILED = "Failed to save parameters in EEPROM !";
constexpr const char* DEFAULTS_FAILED = "Failed to restore the default values !";
constexpr const char* RESET_FAILED = "Error in recovering from Reset !";

// Up to 6 s for the rebooting board to answer "ATOS\r", in the wait window ("Wait for
// VT71a reboot"). 1 when it answered, 0 when it did not or the user stopped.
int waitHostReboot(vx::ui::WindowHandle owner);

// "ATCM12\r", the reply OK.
bool saveBoardImage(std::string* error);
// "ATCM13\r" (reply OK), the reboot, then the image read again (loadParcfg).
bool restoreBoardDefaults(vx::ui::WindowHandle owner, std::string* error);
// "ATCM0F\r" (reply OK), the reboot, then the image read again.
bool resetBoard(vx::ui::WindowHandle owner, std::string* error);

// The remote commands "P1" (which = 1, "ATCM10\r") and "P2" (which = 2, "ATCM11\r"),
// the reply not examined, then the half second the board takes to act on it.
void sendRemoteCommand(int which);

// The interface board's own network address as shown beside the destination address:
// "/ %u" from the first four hex digits of the reply to "ATMY\r", or "/ ?" when the
// exchange fails or the board answers "ERR".
std::string ownAddressText();

}  // namespace vx::boards
