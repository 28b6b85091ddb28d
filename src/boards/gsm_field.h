#pragma once
// The GSM modem's signal quality, asked through the board's display port 2 once a second
// by the GSM field window.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "ui/backend.h"

namespace vx::boards {

// The modem's signal-quality query (AT+CSQ and CR) written to display port 2.
constexpr const char* GSM_FIELD_COMMAND = "ATSD02E041542B4353510D\r";
constexpr size_t GSM_ANSWER_BYTES = 14;  // the modem text the board hands back

struct GsmField {
    unsigned rx;   // received signal strength
    unsigned ber;  // bit error rate
};

// Reads the modem's answer text ("\r\n+CSQ: 7,99\r\n"): after the first space one or two
// digits ended by ',', then one or two digits ended by CR. Nothing when the text has no
// space or not this shape.
std::optional<GsmField> parseGsmAnswer(const uint8_t* text, size_t len);

// What one poll came to.
enum class GsmPoll {
    Shown,     // field read
    NotShown,  // an answer without a reading; the polling goes on
    NoBoard,   // the transaction failed; the polling stops
    NoModem,   // the board's reply was not 14 bytes of modem text; the polling stops
};
struct GsmReading {
    GsmPoll state;
    GsmField field;  // when Shown
};

// Decodes the board's reply (28 hex digits) to the query.
GsmReading gsmFieldFromReply(const uint8_t* reply, size_t len);

// One poll: sends the query, decodes the reply, and for NoBoard and NoModem tells the user
// ("No response from VT71a !" / "... NOD85 !", "No response from modem GSM !", "Data Error").
GsmReading gsmPoll(vx::ui::WindowHandle owner);

// The reading as the terminal shows it: "Rx field: 7\nBit err rate: 99\n".
std::string gsmFieldText(const GsmField& f);

}  // namespace vx::boards
