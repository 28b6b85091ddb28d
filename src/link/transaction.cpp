#include "link/transaction.h"

#include <cstring>

#include "link/clock.h"

uint8_t Rx_buf[MAXRXBUF];
int32_t iRx;
int32_t Timeout_rx = TO_RX_FAST;
int32_t Timeout_rx_def;
uint32_t TMO_value;
uint32_t dwBytesWritten;

namespace {

constexpr int32_t kOverflow = 272;  // a 272nd byte fails the transaction
constexpr size_t kMaxCommand = 273;

// Milliseconds left of an inactivity window that began at `last`; 0 once it has passed.
int32_t remaining(uint64_t last, int32_t timeout) {
    uint64_t elapsed = vx::link::nowMs() - last;
    return elapsed >= uint64_t(timeout < 0 ? 0 : timeout) ? 0 : int32_t(uint64_t(timeout) - elapsed);
}

}  // namespace

int32_t sendCOMMAND(PortHandle hCom, const void* comando, int8_t ctrl) {
    const auto* cmd = static_cast<const uint8_t*>(comando);
    size_t len;
    int terminator = uint8_t(ctrl);
    bool readsNothing = ctrl == NO_RX || ctrl == TX_34_NO_RX;
    if (ctrl == TX_34_END_RX_CR || ctrl == TX_34_NO_RX) {
        len = 34;
    } else if (ctrl == TX_48_END_RX_CR) {
        len = 48;
    } else {
        len = strnlen(reinterpret_cast<const char*>(cmd), kMaxCommand + 1);
        if (len > kMaxCommand) return 0;
    }
    if (ctrl == TX_34_END_RX_CR || ctrl == TX_48_END_RX_CR) terminator = 13;

    if (!hCom) {  // the invalid handle: nothing can be written or read
        dwBytesWritten = 0;
        if (len != 0) return 0;
        iRx = 0;
        return 0;
    }
    if (len != 0) hCom->discardInput();
    dwBytesWritten = uint32_t(hCom->write(cmd, len));
    if (dwBytesWritten < len) return 0;
    iRx = 0;
    if (readsNothing) {
        Rx_buf[0] = 0;
        return 1;
    }

    const bool emptyPoll = len == 0;
    uint64_t last = vx::link::nowMs();
    for (;;) {
        // An empty poll only looks at what is there; any other reply is waited for until
        // the line has been quiet for Timeout_rx.
        bool looking = emptyPoll && iRx == 0;
        int32_t left = remaining(last, Timeout_rx);
        if (left == 0 && !looking) return 0;
        if (!hCom->waitReadable(looking ? 0 : left)) {
            if (looking) return 0;
            continue;
        }
        uint8_t b;
        while (hCom->readByte(b)) {
            last = vx::link::nowMs();
            Rx_buf[iRx++] = b;
            if (iRx >= kOverflow) return 0;
            if (ctrl == 'L' && iRx == 48) {
                Rx_buf[48] = 0;
                return 1;
            }
            if (ctrl == 'U' && iRx == 64) {
                Rx_buf[64] = 0;
                return 1;
            }
            if (ctrl != 'L' && ctrl != 'U' && b == terminator) {
                Rx_buf[--iRx] = 0;
                return 1;
            }
        }
    }
}

int32_t sendCOMMAND2(PortHandle hCom, const uint8_t* data, int8_t ndbyte, int8_t nrxbyte, uint32_t timeout) {
    size_t len = ndbyte > 0 ? size_t(ndbyte) : 0;
    if (!hCom) return 0;
    dwBytesWritten = uint32_t(hCom->write(data, len));
    if (dwBytesWritten < len) return 0;
    uint64_t last = vx::link::nowMs();
    iRx = 0;
    const int32_t limit = timeout > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(timeout);
    for (;;) {
        int32_t left = remaining(last, limit);
        if (left == 0 || !hCom->waitReadable(left)) {
            if (remaining(last, limit) == 0) break;
            continue;
        }
        uint8_t b;
        while (hCom->readByte(b)) {
            last = vx::link::nowMs();
            Rx_buf[iRx++] = b;
            if (iRx >= kOverflow) return 0;
            if (iRx == nrxbyte) return 1;
        }
    }
    return timeout == 0 ? 1 : 0;
}
