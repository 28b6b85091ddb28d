#include "link/com.h"

#include <cstdio>
#include <cstring>

#include "link/clock.h"
#include "link/modem_ini.h"
#include "link/parsers.h"
#include "state/flags.h"

PortHandle hCom;
char CommPort[PORTNAME_MAX] = "COMx ";
vx::link::PortState dcb_old;
uint32_t BR_value = 256000;
DataloggerId Datalogger;
char FW_release[5];

const char* const Lista_schede[16] = {"QM41", "WX22", "WX23", "NOD81", "WX24", "VT71", "PR62", "QM42",
                                      "8",    "9",    "A",    "QM43",  "C",    "D",    "E",    "F"};

namespace {
vx::link::PortFailure gPortFailure;
}

const vx::link::PortFailure& vx::link::lastPortFailure() {
    return gPortFailure;
}

PortHandle openPort(const char* name) {
    return vx::link::openSerialPort(name ? name : "", &gPortFailure).release();
}

void closePort(PortHandle h) {
    delete h;
}

int32_t initCOM(PortHandle h) {
    if (!h) return 0;
    dcb_old = h->state();
    gPortFailure = {};
    bool configured = h->configure(BR_value, Flag.comflow == 1, &gPortFailure);
    clearRxBuf(h);
    return configured ? 1 : 0;
}

void restoreCOM(PortHandle h) {
    if (!h) return;
    h->setState(dcb_old);
    clearRxBuf(h);
}

void clearRxBuf(PortHandle h) {
    if (h) h->discardInput();
}

void setCommPort(const char* name) {
    std::snprintf(CommPort, sizeof CommPort, "%s", name ? name : "");
}

namespace {

// The reply is "OK"; anything else is marked on the transaction.
bool replyOk() {
    if (RICEVUTO_OK()) return true;
    vx::link::markReply(vx::link::replyIsErr() ? vx::link::TxError::ErrReply : vx::link::TxError::NotOk);
    return false;
}

// The reply is the device's "ERR" (marked on the transaction).
bool replyRefused() {
    if (!vx::link::replyIsErr()) return false;
    vx::link::markReply(vx::link::TxError::ErrReply);
    return true;
}

int32_t identifyModem(PortHandle hcom) {
    init_modem(hcom);
    return sendCOMMAND(hcom, "ATV0\r", 13) && iRx == 1 && Rx_buf[0] == '0';
}

// A QM43 in its boot loader answers "***" with two bytes and no carriage return: the
// boot loader version (major, minor nibbles) and a byte 0xB0 to 0xBF.
int32_t checkBootLoader() {
    if (iRx < 2 || (Rx_buf[1] & 0xF0) != 0xB0) return 0;
    Flag.QM43BOOT = 1;
    std::snprintf(Flag.bootvers, sizeof Flag.bootvers, "Boot v.%u.%u", unsigned(Rx_buf[0] >> 4),
                  unsigned(Rx_buf[0] & 0x0F));
    return 1;
}

void recordVersion() {
    // A reply shorter than four characters reads its missing digits as 0, not as whatever
    // an older reply left behind in the buffer.
    char digits[2] = {iRx > 2 ? char(Rx_buf[2]) : '0', iRx > 3 ? char(Rx_buf[3]) : '0'};
    Datalogger.fw = uint16_t(str16_to_num(digits, 2));
    Datalogger.hw = Rx_buf[0];
    switch (Rx_buf[0]) {
        case '5':
            Flag.VT71 = 1;
            break;
        case '8':
            Flag.NOD85 = 1;
            break;
        default:
            Flag.VT71 = 0;
            if (Rx_buf[0] == '7') Flag.QM42 = 1;
            if (Rx_buf[0] == 'B') Flag.QM42 = Flag.QM43 = 1;
    }
    std::snprintf(FW_release, sizeof FW_release, "%.4s", rxText());
}

}  // namespace

int32_t test_hCom(PortHandle hcom) {
    if (Flag.modem == 1) return identifyModem(hcom);
    if (!sendCOMMAND(hcom, "***", 13)) return checkBootLoader();
    hcom->sleepMs(200);  // on the port's clock (virtual on the fake port)
    if (!sendCOMMAND(hcom, "ATCM08\r", 13) || !replyOk()) return 0;
    if (!sendCOMMAND(hcom, "ATCM00\r", 13) || !replyOk()) return 0;
    // Any version line is taken, except the device's "ERR", which is no firmware release.
    if (!sendCOMMAND(hcom, "ATVR\r", 13) || replyRefused()) return 0;
    recordVersion();
    return 1;
}

namespace vx::link {

bool request(const char* text) {
    return sendCOMMAND(hCom, text, 13) == 1 && !replyRefused();
}

bool requestOk(const char* text) {
    return sendCOMMAND(hCom, text, 13) == 1 && replyOk();
}

bool readChunk() {
    return sendCOMMAND(hCom, "ATRD\r", 'L') == 1;
}

}  // namespace vx::link
