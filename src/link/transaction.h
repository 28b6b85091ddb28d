#pragma once
// The command transaction: one command written, its reply collected in Rx_buf.

#include <cstdint>
#include <string>

#include "link/serial_port.h"

using PortHandle = vx::link::SerialPort*;  // null is the invalid handle

constexpr int32_t TO_RX_FAST = 100;
constexpr int32_t TO_RX_SLOW = 2000;
constexpr int MAXRXBUF = 273;

// Modes besides a terminator character.
constexpr int8_t TX_34_END_RX_CR = 1;
constexpr int8_t NO_RX = 2;
constexpr int8_t TX_34_NO_RX = 3;
constexpr int8_t TX_48_END_RX_CR = 4;

extern uint8_t Rx_buf[MAXRXBUF];
extern int32_t iRx;
extern int32_t Timeout_rx;
extern int32_t Timeout_rx_def;
extern uint32_t TMO_value;
extern uint32_t dwBytesWritten;

inline bool RICEVUTO_OK() {
    return Rx_buf[0] == 'O' && Rx_buf[1] == 'K';
}

// Writes the command (a NUL-terminated string, or a 34/48-byte block in the block modes)
// and reads the reply by the mode `ctrl`. 1 on success, 0 on failure; what went wrong is
// in vx::link::lastTransaction().
int32_t sendCOMMAND(PortHandle hCom, const void* comando, int8_t ctrl);

// Binary exchange of the boot loader: ndbyte bytes out, exactly nrxbyte bytes back within
// an inactivity time-out of `timeout` ms (0: write only).
int32_t sendCOMMAND2(PortHandle hCom, const uint8_t* data, int8_t ndbyte, int8_t nrxbyte, uint32_t timeout);

// The reply text as it stands in Rx_buf (iRx bytes).
inline const char* rxText() {
    return reinterpret_cast<const char*>(Rx_buf);
}

namespace vx::link {

// What ended a transaction. The transaction itself finds the first seven; a caller that
// judges the reply marks the last three (markReply).
enum class TxError : uint8_t {
    None,
    NoPort,       // the invalid handle
    TooLong,      // a command longer than the buffer
    WriteFailed,  // the port took fewer bytes than written
    Timeout,      // the line stayed quiet for the whole time-out
    Overflow,     // a reply longer than the buffer
    PortGone,     // the device went away
    Busy,         // another transaction was under way
    ErrReply,     // the device answered "ERR"
    NotOk,        // the reply does not begin with "OK"
    BadReply,     // the reply has not the shape the command asks for
};

struct TxStatus {
    TxError error = TxError::None;
    std::string command;  // printable text of the command ("ATRD8123", "" for a poll)
    int32_t timeoutMs = 0;
    int32_t received = 0;  // bytes of the reply
};

const TxStatus& lastTransaction();
// The reply of the last transaction was not what its caller needs.
void markReply(TxError why);
// A sentence for the user about the last transaction that failed:
// "ATRD8123: no reply within 2000 ms". Empty when none failed since clearFailure().
std::string lastFailureText();
void clearFailure();

// True when the reply in Rx_buf is the device's "ERR".
bool replyIsErr();

// A procedure is using the link. Window timers test linkBusy() and skip their work, so
// no transaction of theirs cuts into a procedure's exchange (a download's page stream).
class LinkBusy {
  public:
    LinkBusy();
    ~LinkBusy();
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;
};
bool linkBusy();

}  // namespace vx::link
