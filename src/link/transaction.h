#pragma once
// The command transaction: one command written, its reply collected in Rx_buf.

#include <cstdint>

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
// and reads the reply by the mode `ctrl`. 1 on success, 0 on failure.
int32_t sendCOMMAND(PortHandle hCom, const void* comando, int8_t ctrl);

// Binary exchange of the boot loader: ndbyte bytes out, exactly nrxbyte bytes back within
// an inactivity time-out of `timeout` ms (0: write only).
int32_t sendCOMMAND2(PortHandle hCom, const uint8_t* data, int8_t ndbyte, int8_t nrxbyte, uint32_t timeout);

// The reply text as it stands in Rx_buf (iRx bytes).
inline const char* rxText() {
    return reinterpret_cast<const char*>(Rx_buf);
}
