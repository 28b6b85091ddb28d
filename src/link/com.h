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

// Opens a port by its name; null when it cannot be opened. closePort accepts null.
PortHandle openPort(const char* name);
void closePort(PortHandle h);

void initCOM(PortHandle h);
void restoreCOM(PortHandle h);
void clearRxBuf(PortHandle h);

// Identification handshake: 1 when the device (or the modem) answered as required.
int32_t test_hCom(PortHandle hcom);

// Copies a name into CommPort, bounded.
void setCommPort(const char* name);
