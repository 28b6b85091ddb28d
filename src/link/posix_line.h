#pragma once
// The parts of a POSIX terminal's line settings that <termios.h> cannot express on every
// system: the whole settings with any rate in them, and the rate itself. Linux goes
// through termios2 (in a file of its own: <asm/termbits.h> and <termios.h> cannot meet in
// one), macOS through IOSSIOSPEED for the rates outside the classic list.

#include <cstdint>
#include <vector>

namespace vx::link::posix {

// The line settings as the driver holds them, the rate included; empty when unreadable.
std::vector<uint8_t> saveLine(int fd);
// Gives back what saveLine returned; anything else is ignored.
void restoreLine(int fd, const std::vector<uint8_t>& saved);

// Asks the driver for `baud` in both directions; false when the request itself failed.
bool setLineRate(int fd, uint32_t baud);
// The rate the driver holds now (output direction); 0 when it cannot be read.
uint32_t lineRate(int fd);

}  // namespace vx::link::posix
