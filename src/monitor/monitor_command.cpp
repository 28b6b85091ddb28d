#include "monitor/monitor_command.h"

#include <algorithm>
#include <cstring>

#include "link/com.h"
#include "link/transaction.h"
#include "monitor/packet_batch.h"

namespace vx::monitor {

bool replyIsPacket() {
    if (iRx < 4) return false;
    return std::memcmp(Rx_buf, "ATBC", 4) == 0 || std::memcmp(Rx_buf, "ATUC", 4) == 0 ||
           std::memcmp(Rx_buf, "ATNA", 4) == 0;
}

bool monitorCommand(const char* command) {
    if (!hCom || hCom->gone()) return false;
    vx::link::LinkBusy busy;
    const size_t len = std::strlen(command);
    if (hCom->write(reinterpret_cast<const uint8_t*>(command), len) != len) return false;
    const uint64_t wait = uint64_t(Timeout_rx < 0 ? 0 : Timeout_rx);
    // Each packet gives the reply another time-out, up to ten in all: a logger that keeps
    // sending packets and never answers does not hold the monitor for ever.
    const uint64_t last = hCom->nowMs() + 10 * wait;
    uint64_t deadline = hCom->nowMs() + wait;
    for (uint64_t now = hCom->nowMs(); now < deadline && !hCom->gone(); now = hCom->nowMs()) {
        if (!hCom->waitReadable(int(deadline - now))) continue;
        if (sendCOMMAND(hCom, "", 13) != 1) return false;  // a line cut short, or the port gone
        if (!replyIsPacket()) return true;
        handlePacketLine(Rx_buf, size_t(iRx));
        deadline = std::min(hCom->nowMs() + wait, last);
    }
    return false;
}

}  // namespace vx::monitor
