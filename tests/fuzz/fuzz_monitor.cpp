// The monitor's packet loop: the lines a logger forwards in monitor mode, decoded against
// the session's nodes and shown. Input: the table page, kPause, then the stream of lines.

#include <cstring>

#include "fuzz_env.h"
#include "link/com.h"
#include "monitor/monitor_text.h"
#include "monitor/packet_batch.h"
#include "session/memory_model.h"
#include "session/session_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    const vx::fuzz::TwoParts parts = vx::fuzz::splitAtPause(data, size);
    std::memset(TabAss, 0, sizeof TabAss);
    std::memcpy(TabAss, parts.first,
                parts.firstSize < size_t(PAGE_SIZE) ? parts.firstSize : size_t(PAGE_SIZE));
    vx::session::decodeTabAss();
    vx::monitor::monitorText().clear();
    vx::monitor::resetPacketLoop();
    Timeout_rx_def = TO_RX_FAST;
    vx::fuzz::DeviceOnPort device(parts.second, parts.secondSize);
    // The window's timer runs a batch until the logger has gone quiet for good.
    for (int batch = 0; batch < 4096 && !hCom->gone() && !vx::monitor::monitorLinkLost(); ++batch)
        vx::monitor::runPacketBatch();
    return 0;
}
