#include "boards/gsm_field.h"

#include "boards/board_exchange.h"
#include "link/com.h"
#include "state/flags.h"

namespace vx::boards {

namespace {

bool isDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// One or two digits at text[i], then the character `end`; i moves past it.
bool number(const uint8_t* text, size_t len, size_t& i, uint8_t end, unsigned& value) {
    value = 0;
    size_t digits = 0;
    while (i < len && digits < 2 && isDigit(text[i])) {
        value = value * 10 + unsigned(text[i++] - '0');
        ++digits;
    }
    if (digits == 0 || i >= len || text[i] != end) return false;
    ++i;
    return true;
}

}  // namespace

std::optional<GsmField> parseGsmAnswer(const uint8_t* text, size_t len) {
    size_t i = 0;
    while (i < len && text[i] != ' ')
        ++i;
    if (i >= len) return std::nullopt;
    ++i;
    GsmField f;
    if (!number(text, len, i, ',', f.rx) || !number(text, len, i, '\r', f.ber)) return std::nullopt;
    return f;
}

GsmReading gsmFieldFromReply(const uint8_t* reply, size_t len) {
    if (len != 2 * GSM_ANSWER_BYTES) return {GsmPoll::NoModem, {}};
    uint8_t text[GSM_ANSWER_BYTES];
    for (size_t i = 0; i < GSM_ANSWER_BYTES; ++i) {
        const int h = hexDigit(reply[2 * i]), l = hexDigit(reply[2 * i + 1]);
        if (h < 0 || l < 0) return {GsmPoll::NoModem, {}};
        text[i] = uint8_t(h << 4 | l);
    }
    if (auto f = parseGsmAnswer(text, sizeof text)) return {GsmPoll::Shown, *f};
    return {GsmPoll::NotShown, {}};
}

GsmReading gsmPoll(vx::ui::WindowHandle owner) {
    if (!sendCOMMAND(hCom, GSM_FIELD_COMMAND, 13)) {
        vx::ui::message(owner, vx::ui::format(Flag.NOD85 ? "%s NOD85 !" : "%s VT71a !", "No response from"),
                        "Data Error", vx::ui::Icon::Error);
        return {GsmPoll::NoBoard, {}};
    }
    const GsmReading r = gsmFieldFromReply(Rx_buf, size_t(iRx));
    if (r.state == GsmPoll::NoModem) {
        vx::link::markReply(vx::link::TxError::BadReply);
        vx::ui::message(owner, vx::ui::format("%s modem GSM !", "No response from"), "Data Error",
                        vx::ui::Icon::Error);
    }
    return r;
}

std::string gsmFieldText(const GsmField& f) {
    return vx::ui::format("Rx field: %u\nBit err rate: %u\n", f.rx, f.ber);
}

}  // namespace vx::boards
