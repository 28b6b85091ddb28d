#pragma once
// The packet loop: lines received from the logger in monitor mode, shown in the monitor
// text and fed to the channel windows, the graph, the battery column and the export.

#include <cstddef>
#include <cstdint>

namespace vx::monitor {

struct MonitorStats {
    uint64_t lines = 0;         // lines received
    uint64_t broadcasts = 0;    // "ATBC" shown
    uint64_t dataSession = 0;   // "ATUC" of a session node, decoded
    uint64_t dataRaw = 0;       // "ATUC" shown raw (unknown node or channel count)
    uint64_t tests = 0;         // "ATNA" shown
    uint64_t dropped = 0;       // unknown or malformed lines, and the rest of an overlong one
    uint64_t exportValues = 0;  // values added to the export sums
    uint64_t overflows = 0;     // lines longer than the receive buffer
};

const MonitorStats& monitorStats();
void resetMonitorStats();

// Handles one line (without its carriage return) as the packet loop does.
void handlePacketLine(const uint8_t* line, size_t len);

// One batch: receives and handles lines while they arrive (100 ms receive time-out),
// ending at the first receive that finds nothing, fails, or after 250 ms of the port's
// clock (the lines left wait for the next batch). The receive time-out is then put back
// from Timeout_rx_def. Returns the lines received.
int runPacketBatch();

// True once a batch found the port gone (reported once with a message).
bool monitorLinkLost();
// A new monitor run: the text's line state, the link-lost report, the counters.
void resetPacketLoop();

}  // namespace vx::monitor
