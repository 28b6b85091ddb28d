#include "link/transaction.h"

#include <cstdio>
#include <cstring>

#include "link/trace.h"

uint8_t Rx_buf[MAXRXBUF];
int32_t iRx;
int32_t Timeout_rx = TO_RX_FAST;
int32_t Timeout_rx_def;
uint32_t TMO_value;
uint32_t dwBytesWritten;

namespace vx::link {
namespace {

constexpr int32_t kOverflow = 272;  // a 272nd byte fails the transaction
constexpr size_t kMaxCommand = 273;

TxStatus gLast;
TxStatus gFailure;  // the last one that failed
bool gInTransaction;
int gBusy;

// Milliseconds left of an inactivity window that began at `last`; 0 once it has passed.
int32_t remaining(uint64_t now, uint64_t last, int32_t timeout) {
    uint64_t elapsed = now - last;
    return elapsed >= uint64_t(timeout < 0 ? 0 : timeout) ? 0 : int32_t(uint64_t(timeout) - elapsed);
}

// The printable part of a command, for messages and the trace.
std::string commandText(const uint8_t* cmd, size_t len) {
    std::string t;
    for (size_t i = 0; i < len && t.size() < 24; ++i) {
        if (cmd[i] == '\r') break;
        t += cmd[i] >= 0x20 && cmd[i] < 0x7F ? char(cmd[i]) : '.';
    }
    return t;
}

// Opens the record of one transaction; the guard against a second one meanwhile.
class Transaction {
  public:
    Transaction(const uint8_t* cmd, size_t len, int32_t timeoutMs) {
        gLast = {};
        gLast.command = commandText(cmd, len);
        gLast.timeoutMs = timeoutMs;
        busy_ = gInTransaction;
        gInTransaction = true;
        if (TraceLog* t = activeTrace()) t->begin(gLast.command, timeoutMs);
    }
    ~Transaction() {
        if (!busy_) gInTransaction = false;
    }
    bool refused() const { return busy_; }
    int32_t end(TxError e) {
        gLast.error = e;
        gLast.received = iRx;
        if (e != TxError::None) gFailure = gLast;
        if (TraceLog* t = activeTrace()) t->end(e, iRx);
        return e == TxError::None ? 1 : 0;
    }

  private:
    bool busy_;
};

}  // namespace

const TxStatus& lastTransaction() {
    return gLast;
}

void markReply(TxError why) {
    gLast.error = why;
    gFailure = gLast;
    if (TraceLog* t = activeTrace()) t->judged(why);
}

void clearFailure() {
    gFailure = {};
}

std::string lastFailureText() {
    const TxStatus& f = gFailure;
    const char* what = nullptr;
    char buf[64];
    switch (f.error) {
        case TxError::None:
            return {};
        case TxError::NoPort:
            what = "the port is not open";
            break;
        case TxError::TooLong:
            what = "command too long";
            break;
        case TxError::WriteFailed:
            what = "the port did not take the command";
            break;
        case TxError::Timeout:
            if (f.received > 0)
                std::snprintf(buf, sizeof buf, "reply cut off after %d bytes (%d ms time-out)",
                              int(f.received), int(f.timeoutMs));
            else
                std::snprintf(buf, sizeof buf, "no reply within %d ms", int(f.timeoutMs));
            what = buf;
            break;
        case TxError::Overflow:
            what = "reply too long";
            break;
        case TxError::PortGone:
            what = "the device is no longer connected";
            break;
        case TxError::Busy:
            what = "the link was busy with another command";
            break;
        case TxError::ErrReply:
            what = "the device answered ERR";
            break;
        case TxError::NotOk:
            what = "the device did not answer OK";
            break;
        case TxError::BadReply:
            what = "unexpected reply";
            break;
    }
    return (f.command.empty() ? std::string("waiting for data") : f.command) + ": " + what;
}

bool replyIsErr() {
    return iRx >= 3 && Rx_buf[0] == 'E' && Rx_buf[1] == 'R' && Rx_buf[2] == 'R';
}

LinkBusy::LinkBusy() {
    ++gBusy;
}
LinkBusy::~LinkBusy() {
    --gBusy;
}
bool linkBusy() {
    return gBusy > 0 || gInTransaction;
}

}  // namespace vx::link

using vx::link::TxError;

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
        len = strnlen(reinterpret_cast<const char*>(cmd), vx::link::kMaxCommand + 1);
    }
    vx::link::Transaction tx(cmd, len, Timeout_rx);
    if (tx.refused()) return tx.end(TxError::Busy);
    // From here on no byte of an earlier reply may pass for this one's: a caller that looks
    // at what arrived after a failure (the boot loader's two bytes) must find nothing.
    iRx = 0;
    if (len > vx::link::kMaxCommand) return tx.end(TxError::TooLong);
    if (ctrl == TX_34_END_RX_CR || ctrl == TX_48_END_RX_CR) terminator = 13;

    if (!hCom) {  // the invalid handle: nothing can be written or read
        dwBytesWritten = 0;
        return tx.end(TxError::NoPort);
    }
    if (hCom->gone()) return tx.end(TxError::PortGone);
    if (len != 0) hCom->discardInput();
    dwBytesWritten = uint32_t(hCom->write(cmd, len));
    if (dwBytesWritten < len) return tx.end(hCom->gone() ? TxError::PortGone : TxError::WriteFailed);
    if (readsNothing) {
        Rx_buf[0] = 0;
        return tx.end(TxError::None);
    }

    const bool emptyPoll = len == 0;
    uint64_t last = hCom->nowMs();
    for (;;) {
        // An empty poll only looks at what is there; any other reply is waited for until
        // the line has been quiet for Timeout_rx.
        bool looking = emptyPoll && iRx == 0;
        int32_t left = vx::link::remaining(hCom->nowMs(), last, Timeout_rx);
        if (left == 0 && !looking) return tx.end(TxError::Timeout);
        if (!hCom->waitReadable(looking ? 0 : left)) {
            if (hCom->gone()) return tx.end(TxError::PortGone);
            if (looking) return tx.end(TxError::Timeout);
            continue;
        }
        uint8_t b;
        while (hCom->readByte(b)) {
            last = hCom->nowMs();
            Rx_buf[iRx++] = b;
            if (iRx >= vx::link::kOverflow) return tx.end(TxError::Overflow);
            if (ctrl == 'L' && iRx == 48) {
                Rx_buf[48] = 0;
                return tx.end(TxError::None);
            }
            if (ctrl == 'U' && iRx == 64) {
                Rx_buf[64] = 0;
                return tx.end(TxError::None);
            }
            if (ctrl != 'L' && ctrl != 'U' && b == terminator) {
                Rx_buf[--iRx] = 0;
                return tx.end(TxError::None);
            }
        }
    }
}

int32_t sendCOMMAND2(PortHandle hCom, const uint8_t* data, int8_t ndbyte, int8_t nrxbyte, uint32_t timeout) {
    size_t len = ndbyte > 0 ? size_t(ndbyte) : 0;
    const int32_t limit = timeout > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(timeout);
    vx::link::Transaction tx(data, len, limit);
    if (tx.refused()) return tx.end(TxError::Busy);
    iRx = 0;
    if (!hCom) return tx.end(TxError::NoPort);
    if (hCom->gone()) return tx.end(TxError::PortGone);
    dwBytesWritten = uint32_t(hCom->write(data, len));
    if (dwBytesWritten < len) return tx.end(TxError::WriteFailed);
    uint64_t last = hCom->nowMs();
    for (;;) {
        int32_t left = vx::link::remaining(hCom->nowMs(), last, limit);
        if (left == 0) break;
        if (!hCom->waitReadable(left)) {
            if (hCom->gone()) return tx.end(TxError::PortGone);
            continue;
        }
        uint8_t b;
        while (hCom->readByte(b)) {
            last = hCom->nowMs();
            Rx_buf[iRx++] = b;
            if (iRx >= vx::link::kOverflow) return tx.end(TxError::Overflow);
            if (iRx == nrxbyte) return tx.end(TxError::None);
        }
    }
    return tx.end(timeout == 0 ? TxError::None : TxError::Timeout);
}
