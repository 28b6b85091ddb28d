#include "boards/display_board.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "boards/board_exchange.h"
#include "boards/board_image.h"
#include "link/clock.h"
#include "link/com.h"
#include "state/flags.h"
#include "ui/wait_window.h"

DisplayBoardPar VT71h[DISPLAY_BOARDS];
int32_t VT71h_fw = 0;
int32_t CodeD = 0;
int32_t Slave_board = SLAVE_NONE;
uint8_t Option3[8];
ParcfgEntry Parcfgh[PARCFGH_N];

namespace {

using vx::boards::hexDigit;
using vx::boards::withRetries;
using vx::link::TxError;

constexpr uint64_t kBootWaitMs = 6000;
constexpr uint32_t kBootPollMs = 100;

struct ParamSpec {
    int32_t id;
    float min, max;
    int32_t chars;
};
constexpr ParamSpec kParams[PARCFGH_N] = {
    {ID_EDT_VT71H_NDIGIT, 1, 6, 1},
    {ID_EDT_VT71H_DPOINT, 0, 6, 1},
    {ID_EDT_VT71H_DLUX, 0, 255, 3},
    {ID_EDT_VT71H_SCAN, 0, 25.5f, 4},
};

bool validCode(int cd) {
    return cd >= 0 && cd < DISPLAY_BOARDS;
}

bool isRead(uint8_t op) {
    const uint8_t cls = op & 0xE0;
    return cls == R_DISPLAY || cls == R_PAR || cls == R_COM;
}

std::string command(uint8_t op, int code, uint32_t data) {
    char cmd[32];
    const unsigned c = unsigned(code) & 0xFFu;
    if ((op & 0xE0) == W_DISPLAY)
        std::snprintf(cmd, sizeof cmd, "ATSD%02X%02X%02X%02X%02X\r", c, unsigned(op),
                      unsigned(data >> 16) & 0xFFu, unsigned(data >> 8) & 0xFFu, unsigned(data) & 0xFFu);
    else if (isRead(op))
        std::snprintf(cmd, sizeof cmd, "ATSD%02X%02X\r", c, unsigned(op));
    else
        std::snprintf(cmd, sizeof cmd, "ATSD%02X%02X%02X\r", c, unsigned(op), unsigned(data) & 0xFFu);
    return cmd;
}

// One attempt: the command, and for a read its byte (exactly two hex digits).
bool attempt(const std::string& cmd, bool read, uint32_t* data) {
    clearRxBuf(hCom);
    if (!vx::link::request(cmd.c_str())) return false;
    if (!read) return true;
    const int h = iRx == 2 ? hexDigit(Rx_buf[0]) : -1, l = iRx == 2 ? hexDigit(Rx_buf[1]) : -1;
    if (h < 0 || l < 0) return vx::link::markReply(TxError::BadReply), false;
    *data = uint32_t(h << 4 | l);
    return true;
}

// A raw reply for the detection, which judges "ERR" and odd lengths itself.
bool rawReply(const char* cmd, std::string& reply) {
    return withRetries([&] {
        clearRxBuf(hCom);
        if (!sendCOMMAND(hCom, cmd, 13)) return false;
        reply.assign(rxText(), size_t(iRx));
        return true;
    });
}

bool readReg(uint8_t op, int code, uint8_t* out) {
    uint32_t v = 0;
    if (txrx_VT71h(op, code, &v)) return false;
    *out = uint8_t(v);
    return true;
}

bool writeReg(uint8_t op, int code, uint8_t value) {
    uint32_t v = value;
    return txrx_VT71h(op, code, &v) == 0;
}

}  // namespace

int txrx_VT71h(uint8_t op, int disp_code, uint32_t* data) {
    if (!data) return 1;
    vx::link::LinkBusy busy;
    const std::string cmd = command(op, disp_code, *data);
    const bool read = isRead(op);
    uint32_t v = 0;
    if (!withRetries([&] { return attempt(cmd, read, &v); })) return 1;
    if (read) *data = v;
    return 0;
}

int32_t slaveFamily(const std::string& reg3, const std::string (&reg1)[DISPLAY_BOARDS]) {
    if (reg3 == "02") return SLAVE_VT75H;
    if (reg3.size() != 3) return SLAVE_NONE;
    int three = 0, absent = 0;
    for (const std::string& r : reg1) {
        if (r.size() == 3) ++three;
        if (r == "7F") ++absent;
    }
    if (three == 0 && absent == DISPLAY_BOARDS) return SLAVE_VT73H;
    return three < DISPLAY_BOARDS ? SLAVE_VT71H : SLAVE_NONE;
}

int detect_Slave_board() {
    vx::link::LinkBusy busy;
    Slave_board = SLAVE_NONE;
    std::string reg3, reg1[DISPLAY_BOARDS];
    if (!rawReply("ATSD0003\r", reg3)) return 0;
    if (reg3 != "02" && reg3.size() == 3) {
        for (int i = 0; i < DISPLAY_BOARDS; ++i) {
            char cmd[16];
            std::snprintf(cmd, sizeof cmd, "ATSD%02X01\r", unsigned(i));
            if (!rawReply(cmd, reg1[i])) return 0;
        }
    }
    Slave_board = slaveFamily(reg3, reg1);
    return 1;
}

void initParcfgh() {
    for (int i = 0; i < PARCFGH_N; ++i) {
        ParcfgEntry& e = Parcfgh[i];
        e.id = kParams[i].id;
        e.id_H = 0;
        e.val_min = kParams[i].min;
        e.val_max = kParams[i].max;
        e.n_dec = kParams[i].chars;
        e.n_hex = 0;
    }
}

uint8_t pointCode(unsigned dpoint) {
    if (dpoint == 2) return 1;
    if (dpoint == 3) return 2;
    return dpoint > 3 ? 3 : 0;
}

int testValueh(int i, int cd) {
    if (i < 0 || i >= PARCFGH_N || !validCode(cd)) return 0;
    ParcfgEntry& e = Parcfgh[i];
    // Written so that a NaN is out of range too.
    if (!(e.val >= e.val_min && e.val <= e.val_max)) {
        e.val_err = 1;
        return 0;
    }
    e.val_err = 0;
    DisplayBoardPar& r = VT71h[cd];
    switch (i) {
        case 0:
            r.Ndigit = uint8_t(std::lrint(e.val));
            break;
        case 1:
            r.Dpoint = uint8_t(std::lrint(e.val));
            r.Option2 = uint8_t((r.Option2 & ~DOPT2_POINT) | (pointCode(r.Dpoint) << 4));
            break;
        case 2:
            r.Dlux = uint8_t(std::lrint(e.val));
            break;
        default:
            Option3[1] = uint8_t(std::lrint(e.val * 10.0f));
            break;
    }
    return 1;
}

int editParameterh(int i, std::string& text, int cd) {
    if (i < 0 || i >= PARCFGH_N) return 0;
    if (text.size() > size_t(kParams[i].chars)) text.resize(size_t(kParams[i].chars));
    // Without the locale: the decimal point is a point on every PC.
    size_t at = text.find_first_not_of(" \t");
    double v = 0;
    if (at != std::string::npos) {
        if (text[at] == '+') ++at;
        if (std::from_chars(text.data() + at, text.data() + text.size(), v).ec != std::errc()) v = 0;
    }
    Parcfgh[i].val = float(v);
    return testValueh(i, cd);
}

int parameterhIndexOf(int32_t controlId) {
    for (int i = 0; i < PARCFGH_N; ++i)
        if (kParams[i].id == controlId) return i;
    return -1;
}

int loadParcfgh(int cd) {
    if (!validCode(cd)) return 1;
    vx::link::LinkBusy busy;
    uint8_t ver = 0;
    if (!readReg(R_DISPLAY | 2, cd, &ver)) return 1;
    VT71h_fw = ver;
    DisplayBoardPar& r = VT71h[cd];
    uint8_t* fields[4] = {&r.Ndigit, &r.Dpoint, &r.Dlux, &r.Option};
    for (int k = 0; k < 4; ++k)
        if (!readReg(uint8_t(R_PAR | (k + 1)), cd, fields[k])) return 1;
    Parcfgh[0].val = r.Ndigit;
    Parcfgh[1].val = r.Dpoint;
    Parcfgh[2].val = r.Dlux;
    if (Slave_board == SLAVE_VT75H) {
        if (!readReg(R_PAR | 6, cd, &r.Option2)) return 1;
        for (int k = 0; k < 8; ++k)
            if (!readReg(R_PAR | 7, k, &Option3[k])) return 1;
        Parcfgh[3].val = float(Option3[1]) / 10.0f;
    }
    for (int i = 0; i < PARCFGH_N; ++i)
        testValueh(i, cd);
    return 0;
}

int write_to_VT71h(int cd) {
    if (!validCode(cd)) return 1;
    vx::link::LinkBusy busy;
    const DisplayBoardPar& r = VT71h[cd];
    const uint8_t fields[4] = {r.Ndigit, r.Dpoint, r.Dlux, r.Option};
    for (int k = 0; k < 4; ++k)
        if (!writeReg(uint8_t(W_PAR | (k + 1)), cd, fields[k])) return 1;
    if (Slave_board == SLAVE_VT75H) {
        if (!writeReg(W_PAR | 6, cd, r.Option2)) return 1;
        if (!writeReg(W_PAR | 7, 0, Option3[0])) return 1;
        if (!writeReg(W_PAR | 7, 1, Option3[1])) return 1;
    }
    return 0;
}

int readDisplayVersion(int cd, uint8_t* version) {
    if (!version || !validCode(cd)) return 1;
    return readReg(R_DISPLAY | 2, cd, version) ? 0 : 1;
}

int saveDisplayBoard(int cd) {
    vx::link::LinkBusy busy;
    return writeReg(W_PAR | 0, cd, 0xDD) && writeReg(W_PAR | 0, cd, 0xAA) ? 0 : 1;
}

int defaultDisplayBoard(int cd) {
    vx::link::LinkBusy busy;
    return writeReg(W_PAR | 0, cd, 0xEE) && writeReg(W_PAR | 0, cd, 0xFF) ? 0 : 1;
}

int resetDisplayBoard(int cd) {
    return writeReg(W_PAR | 0, cd, 0x55) ? 0 : 1;
}

int wait_boot(vx::ui::WindowHandle hDlg, int scheda) {
    const char* text = scheda ? "Wait for I2C Slave Board reboot"
                              : (Flag.NOD85 ? "Wait for NOD85 reboot" : "Wait for VT71a reboot");
    Show_wait_msg(hDlg, text);
    int result = 0;
    const uint64_t start = vx::link::nowMs();
    for (;;) {
        const uint64_t elapsed = vx::link::nowMs() - start;
        if (elapsed >= kBootWaitMs) break;
        Setbar_wait_msg(uint32_t(elapsed), uint32_t(kBootWaitMs));
        if (!Test_wait_msg()) return 0;  // the window is gone already
        // One attempt a poll: a board that is still starting is expected not to answer.
        bool up = false;
        if (scheda == 0) {
            clearRxBuf(hCom);
            up = sendCOMMAND(hCom, "ATOS\r", 13) == 1;
        } else {
            uint32_t v = 0;
            up = attempt(command(R_DISPLAY | 2, CodeD, 0), true, &v) && int32_t(v) == VT71h_fw;
        }
        if (up) {
            result = 1;
            break;
        }
        vx::link::sleepMs(kBootPollMs);
    }
    Close_wait_msg();
    return result;
}
