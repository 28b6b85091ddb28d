#pragma once
// The open port, its settings and the identification of the device behind it.

#include <cstdint>
#include <string>

#include "link/serial_port.h"
#include "link/transaction.h"

constexpr size_t PORTNAME_MAX = 260;  // port names of any platform, pty paths included

struct DataloggerId {
    uint8_t hw;   // board-type character of the version reply
    uint16_t fw;  // firmware byte (characters 3 and 4 of the reply, hex)
};

extern PortHandle hCom;
extern char CommPort[PORTNAME_MAX];
extern vx::link::PortState dcb_old;
extern uint32_t BR_value;
extern DataloggerId Datalogger;
extern char FW_release[5];
extern const char* const Lista_schede[16];

// Opens a port by its name; null when it cannot be opened (the reason is then in
// vx::link::lastPortFailure()). closePort accepts null.
PortHandle openPort(const char* name);
void closePort(PortHandle h);

// The program's line settings on the port; 0 when the driver refused them (the rate),
// with the reason in vx::link::lastPortFailure().
int32_t initCOM(PortHandle h);
void restoreCOM(PortHandle h);
void clearRxBuf(PortHandle h);

// Identification handshake: 1 when the device (or the modem) answered as required.
int32_t test_hCom(PortHandle hcom);

// Copies a name into CommPort, bounded.
void setCommPort(const char* name);

namespace vx::link {

// Why the last openPort or initCOM failed.
const PortFailure& lastPortFailure();

// The usual shapes of a carriage-return command on hCom: the transaction succeeded and
// the reply is not "ERR" (request), or begins with "OK" (requestOk). A reply that does
// not pass is marked on the transaction, so lastFailureText() names it.
bool request(const char* text);
bool requestOk(const char* text);
// The 48 bytes at the logger's read pointer ("ATRD\r", exactly 48 bytes back).
bool readChunk();

}  // namespace vx::link
