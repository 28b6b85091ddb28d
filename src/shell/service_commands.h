#pragma once
// The main window's service commands (the Alt+letter keys): the idle state, clearing the
// flash, the network address, writing a flash image into the logger, the session's page
// pointers, and on the boards the energy and days counters and the option register. Each
// asks, sends, checks and tells the user exactly as the window does, so the command-line
// tool runs the same procedures.

#include <cstdint>
#include <optional>
#include <string>

#include "ui/backend.h"

namespace vx::shell {

// Alt+i / Alt+u: "ATCM05" / "ATCM06"; on OK the status bar's second part says so. 1 on OK.
int enterIdle(vx::ui::WindowHandle owner);
int leaveIdle(vx::ui::WindowHandle owner);

// Alt+f: the question, "ATCM09", up to 40 polls (500 ms apart, Stop allowed) for the byte
// that ends the clearing, then "ATCM06" and the session read again. 1 on success, 0 when
// the user said No (*asked false) or the procedure failed (its message shown).
int clearFlash(vx::ui::WindowHandle owner, bool* declined = nullptr);
constexpr int kClearFlashAttempts = 40;

// Alt+a: reads the address ("ATMY"), offers it and sets the one typed ("ATMY%04X").
struct AddressResult {
    bool read = false;  // the logger told its address
    uint16_t address = 0;
    bool set = false;  // a new address was sent and taken
    uint16_t newAddress = 0;
    bool failed = false;  // a message told of a failure
};
AddressResult networkAddress(vx::ui::WindowHandle owner);

// Alt+w: the flash image into the logger between "ATCM14" and "ATCM15". `path` skips the
// file dialog (the command-line tool); the image is checked the same way.
struct UploadResult {
    enum class Kind { Done, Declined, NotSupported, NoFile, Stopped, Rejected, FileError };
    Kind kind = Kind::Declined;
    uint32_t pages = 0;         // pages of the image
    uint32_t pagesWritten = 0;  // whole pages the logger accepted
};
UploadResult uploadFlashImage(vx::ui::WindowHandle owner, const std::optional<std::string>& path = {});

// Alt+p: PAGE_TAB ("ATPT%04X") and PAGE_LAST ("ATPL%04X"), each edited in turn. 0 when a
// value was refused.
int pagePointers(vx::ui::WindowHandle owner);

// Alt+c: the energy counter ("ATSE", "ATSE%08X" in tenths of a kWh) and, on a VT71 from
// firmware 0x20, the days counter (sent as its complement).
struct CounterResult {
    bool read = false;    // the energy counter was read
    uint32_t energy = 0;  // tenths of a kWh, as read
    bool energySet = false;
    uint32_t newEnergy = 0;
    bool daysAsked = false;
    bool daysSet = false;
    uint32_t days = 0;
    bool failed = false;
};
CounterResult energyCounters(vx::ui::WindowHandle owner);
// Whether the connected board takes the days counter.
bool daysCounterAvailable();

// Alt+o: the board's Option word (image bytes 21-22). 1 when written, 0 otherwise.
int optionRegister(vx::ui::WindowHandle owner);

}  // namespace vx::shell
