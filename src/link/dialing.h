#pragma once
// Dialling the plant through the modem on the port: the connection state, the modem's
// numeric result codes, the dial, the wait for its result, the hang-up, and the
// identification of the device behind the modem once the line stands. The remote-connection
// window and the command line share these procedures.

#include <cstdint>

#include "link/transaction.h"

constexpr uint8_t MODEM_CODES = 21;          // result codes 0 to 19 and 20 for every other
constexpr uint8_t MODEM_NO_CODE = 20;        // "Not defined status": no code yet, or 20 and above
constexpr int32_t MODEM_ESCAPE_WAIT = 1500;  // ms between "+++" and "ATH\r"
constexpr int32_t MODEM_GUARD_TIME = 1000;   // ms of silence a modem wants before "+++"

// Connection state: 0 idle, 1 dialling, 2 connected.
extern uint8_t Stato_OPM;
// The modem's last result code, 0 to 20.
extern uint8_t Modem_fback;
// The texts of the Exit button by state: "Exit", "Stop", "Hang up".
extern const char* const Codifica_pulsante_rexit[3];

namespace vx::link {

// The status colour of "Not defined status": the window's own background.
constexpr uint32_t kDialogBackground = 0xFFFFFFFFu;

const char* modemResultText(
    int code);  // "No carrier", "Connect 9600", ... (20 and above: "Not defined status")
uint32_t modemResultColour(int code);  // 0x00BBGGRR, or kDialogBackground
bool modemCodeConnects(int code);      // 1, 5, 9 and above

// What a line of the modem did to the call.
enum class DialEvent {
    None,       // nothing came, or a line that is no result code (a verbose "CONNECT 9600")
    Idle,       // a code that ends the call attempt (OK, no carrier, busy, ...)
    Connected,  // a code that stands for a connection, or a lone carriage return
};

// Reads one line of the modem (without its carriage return) as a result code and sets
// Modem_fback and Stato_OPM by it. Only lines of one or two digits are codes; an empty
// line is a connection.
DialEvent modemLine(const uint8_t* line, int32_t len);

// Dials "ATDT<number>\r": Stato_OPM 1, Modem_fback 20. A result that came with the dial
// command's own reply is taken at once and returned.
DialEvent dialNumber(PortHandle h, const char* number);
// Looks whether the modem's result has come (the empty poll; nothing is sent).
DialEvent pollDial(PortHandle h);
// Abandons a call being dialled ("ATH\r"); 1 when the modem took it, then idle.
int32_t stopDial(PortHandle h);
// Hangs up a connected line: a guard time of silence, "+++", 1500 ms, "ATH\r"; then idle.
// 1 when the modem answered "ATH\r" with its OK code.
int32_t hangUp(PortHandle h);

// The whole dial for a caller without a window: dials and waits up to waitMs for the
// result (polling every 500 ms, stopping at Ctrl+C). 1 when connected; 0 otherwise, with
// the call abandoned if no result came and Modem_fback holding the last code.
int32_t dialRemote(PortHandle h, const char* number, uint32_t waitMs);
// True when the last dialRemote was stopped by Ctrl+C.
bool dialInterrupted();

// Identifies the device behind the connected modem with the direct handshake; the modem
// flag stays set. 1 when it answered.
int32_t identifyRemote(PortHandle h);

}  // namespace vx::link
