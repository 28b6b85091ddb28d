#include "link/dialing.h"

#include <cstdio>

#include "link/com.h"
#include "link/parsers.h"
#include "platform/signals.h"
#include "state/flags.h"

uint8_t Stato_OPM;
uint8_t Modem_fback = MODEM_NO_CODE;
const char* const Codifica_pulsante_rexit[3] = {"Exit", "Stop", "Hang up"};

namespace vx::link {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF, kGreen = 0x0000FF00, kOrange = 0x0000C0FF, kRed = 0x000000FF;

struct ResultCode {
    const char* text;
    uint32_t colour;
};

const ResultCode kCodes[MODEM_CODES] = {
    {"OK", kWhite},
    {"Connect", kGreen},
    {"Ring", kOrange},
    {"No carrier", kRed},
    {"Error", kRed},
    {"Connect 1200 bps", kGreen},
    {"No dialtone", kRed},
    {"Busy", kOrange},
    {"No answer", kOrange},
    {"Connect 600", kGreen},
    {"Connect 2400", kGreen},
    {"Connect 4800", kGreen},
    {"Connect 9600", kGreen},
    {"Connect 7200", kGreen},
    {"Connect 12000", kGreen},
    {"Connect 14400", kGreen},
    {"Connect 19200", kGreen},
    {"Connect 38400", kGreen},
    {"Connect 57600", kGreen},
    {"Connect 115200", kGreen},
    {"Not defined status", kDialogBackground},
};

int clamp(int code) {
    return code < 0 || code > MODEM_NO_CODE ? MODEM_NO_CODE : code;
}

bool gInterrupted;

}  // namespace

const char* modemResultText(int code) {
    return kCodes[clamp(code)].text;
}

uint32_t modemResultColour(int code) {
    return kCodes[clamp(code)].colour;
}

bool modemCodeConnects(int code) {
    return code == 1 || code == 5 || code >= 9;
}

DialEvent modemLine(const uint8_t* line, int32_t len) {
    if (len == 0) {
        Modem_fback = 1;
        Stato_OPM = 2;
        return DialEvent::Connected;
    }
    // A verbose text of two characters ("OK") is no numeric code either.
    if (len > 2) return DialEvent::None;
    for (int32_t i = 0; i < len; ++i)
        if (line[i] < '0' || line[i] > '9') return DialEvent::None;
    int32_t code = str_to_num(line, len);
    Modem_fback = uint8_t(code >= MODEM_NO_CODE ? MODEM_NO_CODE : code);
    if (modemCodeConnects(code)) {
        Stato_OPM = 2;
        return DialEvent::Connected;
    }
    Stato_OPM = 0;
    return DialEvent::Idle;
}

namespace {

// The line the last transaction brought, as a result code; an empty line is the modem's
// lone carriage return, after which whatever else is waiting is dropped.
DialEvent takeLine(PortHandle h) {
    DialEvent e = modemLine(Rx_buf, iRx);
    if (iRx == 0 && e == DialEvent::Connected) clearRxBuf(h);
    return e;
}

}  // namespace

DialEvent dialNumber(PortHandle h, const char* number) {
    char cmd[40];
    std::snprintf(cmd, sizeof cmd, "ATDT%.15s\r", number);
    Modem_fback = MODEM_NO_CODE;
    Stato_OPM = 1;
    // The dial command waits for the modem's first line: when that is already the result
    // (a quick answer, a busy line), it must not be lost to the polls that follow.
    if (sendCOMMAND(h, cmd, 13) != 1) return DialEvent::None;
    DialEvent e = takeLine(h);
    if (e == DialEvent::None) Stato_OPM = 1;
    return e;
}

DialEvent pollDial(PortHandle h) {
    if (sendCOMMAND(h, "", 13) != 1) return DialEvent::None;
    return takeLine(h);
}

int32_t stopDial(PortHandle h) {
    if (sendCOMMAND(h, "ATH\r", 13) != 1) return 0;
    Modem_fback = MODEM_NO_CODE;
    Stato_OPM = 0;
    return 1;
}

int32_t hangUp(PortHandle h) {
    // A modem takes "+++" as its escape only after a pause in the data; right behind the
    // last command it would pass it on to the device and stay on line.
    if (h) h->sleepMs(MODEM_GUARD_TIME);
    sendCOMMAND(h, "+++", 13);
    if (h) h->sleepMs(MODEM_ESCAPE_WAIT);
    int32_t ok = sendCOMMAND(h, "ATH\r", 13) == 1 && iRx >= 1 && Rx_buf[0] == '0';
    Modem_fback = MODEM_NO_CODE;
    Stato_OPM = 0;
    return ok;
}

int32_t dialRemote(PortHandle h, const char* number, uint32_t waitMs) {
    gInterrupted = false;
    DialEvent e = dialNumber(h, number);
    if (!h) return 0;
    const uint64_t start = h->nowMs();
    while (e == DialEvent::None) {
        if (vx::platform::interruptRequested()) {
            gInterrupted = true;
            break;
        }
        if (h->nowMs() - start >= waitMs) break;
        h->sleepMs(500);
        e = pollDial(h);
    }
    if (e == DialEvent::None) {
        // No result: the call is abandoned, so that the line is not left dialling.
        stopDial(h);
        Stato_OPM = 0;
        return 0;
    }
    return e == DialEvent::Connected ? 1 : 0;
}

bool dialInterrupted() {
    return gInterrupted;
}

int32_t identifyRemote(PortHandle h) {
    Flag.modem = 0;
    int32_t found = test_hCom(h);
    Flag.modem = 1;
    return found;
}

}  // namespace vx::link
