#pragma once
// A command to the logger while it forwards packets. Unlike an ordinary transaction it
// does not throw away what is waiting first: that is packets, which are handled as the
// packet loop handles them (shown, not lost); the reply is the first other line.

#include <cstdint>

namespace vx::monitor {

// Writes `command` (ending "\r") and waits for its reply, each line within the receive
// time-out Timeout_rx. True with the reply in Rx_buf and iRx.
bool monitorCommand(const char* command);

// True when the line in Rx_buf is a packet ("ATBC", "ATUC" or "ATNA" line).
bool replyIsPacket();

}  // namespace vx::monitor
