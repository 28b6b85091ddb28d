#include "session/page_access.h"

#include <cstdio>
#include <cstring>

#include "link/com.h"
#include "session/session_state.h"
#include "state/flags.h"

namespace {
constexpr uint64_t kPieceTimeLimitMs = 1000;
}

int32_t setPageAdd(uint16_t page) {
    uint16_t value = page;
    if (Flag.fast_read == 1) value |= 0x8000;
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%04X\r", unsigned(value));
    return sendCOMMAND(hCom, cmd, 13) && RICEVUTO_OK() ? 1 : 0;
}

int32_t getPageFlash(uint8_t* buf) {
    if (!hCom) return 0;
    const char* request = "ATRD\r";
    for (int c = 0; c < CHUNKS_PER_PAGE; ++c) {
        uint64_t start = hCom->nowMs();  // the port's clock, as the transaction's time-out
        bool ok = sendCOMMAND(hCom, request, 'L') == 1;
        // In the plain form the logger moves its pointer on with every request, answered
        // or not: asking again would return the next piece in this one's place. The page
        // read fails instead, and the caller addresses the page again.
        if (!ok && request[0] != 0) return 0;
        while (!ok) {
            uint64_t elapsed = hCom->nowMs() - start;
            if (elapsed >= kPieceTimeLimitMs) return 0;
            // An empty poll returns at once when nothing is there: wait for the next byte
            // instead of polling in a tight loop.
            hCom->waitReadable(int(kPieceTimeLimitMs - elapsed));
            ok = sendCOMMAND(hCom, request, 'L') == 1;
        }
        if (Flag.fast_read == 1) request = "";
        std::memcpy(buf + c * CHUNK_SIZE, Rx_buf, CHUNK_SIZE);
    }
    return 1;
}

void vx::session::choosePageReadingMode() {
    if (Flag.modem == 1) return;
    bool plain = (Datalogger.hw == '0' && Datalogger.fw <= 0x18) || Datalogger.hw == '7' ||
                 (Datalogger.hw == '5' && Datalogger.fw <= 0x16);
    if (plain) Flag.fast_read = 0;
}
