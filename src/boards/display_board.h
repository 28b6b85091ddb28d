#pragma once
// The numeric display boards behind a host board (up to eight behind a VT71a, one behind
// a QM42). Every exchange is an "ATSD" command to the host, which forwards one register
// read or write to the slave with the given code. The board procedures answer 0 for
// success and 1 for failure; each transaction is tried up to three times, and what failed
// last is in vx::link::lastFailureText().

#include <cstdint>
#include <string>

#include "boards/board_params.h"
#include "ui/backend.h"

constexpr int DISPLAY_BOARDS = 8;  // display codes 0..7

// Families of slave board, as the detection finds them.
constexpr int32_t SLAVE_NONE = 0, SLAVE_VT71H = 1, SLAVE_VT73H = 2, SLAVE_VT75H = 3;

// Edit controls of the display board dialog.
constexpr int32_t ID_EDT_VT71H_NDIGIT = 1501, ID_EDT_VT71H_DPOINT = 1502, ID_EDT_VT71H_DLUX = 1504,
                  ID_EDT_VT71H_SCAN = 1527;

struct DisplayBoardPar {
    uint8_t Ndigit;   // 1..6
    uint8_t Dpoint;   // decimal point position 0..6
    uint8_t Dlux;     // brightness
    uint8_t Option;   // DOPT_* bits
    uint8_t Option2;  // DOPT2_* bits (VT75h)
};

// Option bits.
constexpr uint8_t DOPT_BAUD = 0x03, DOPT_TITLECOLOR = 0x0C, DOPT_OFF = 0x20, DOPT_AUTOBRIGHT = 0x40,
                  DOPT_BLINK = 0x80;
// Option2 bits: the displayed quantity, the code of the decimal point, the number colour.
constexpr uint8_t DOPT2_QUANTITY = 0x0F, DOPT2_POINT = 0x30, DOPT2_COLOR = 0xC0;
// Option3[0] bits.
constexpr uint8_t DOPT3_MODE = 0x03, DOPT3_SCANOFF = 0x08, DOPT3_ENERGY100 = 0x10, DOPT3_NIGHTOFF = 0x20;
// Option3[5]: oscillator tuning (signed 6 bits) and the pulse output.
constexpr uint8_t DOPT3_TUNE = 0x3F, DOPT3_PULSE = 0x80;

extern DisplayBoardPar VT71h[DISPLAY_BOARDS];
extern int32_t VT71h_fw;     // firmware version byte of the board last loaded
extern int32_t CodeD;        // display code the dialog works on
extern int32_t Slave_board;  // detected family (SLAVE_*)
extern uint8_t Option3[8];   // VT75h extended option bytes

constexpr int PARCFGH_N = 4;
extern ParcfgEntry Parcfgh[PARCFGH_N];

// One register transaction with display `disp_code` (0..255 on the wire). Reads (classes
// R_DISPLAY, R_PAR, R_COM) need exactly two hex digits back, stored into *data; writes
// send *data (three bytes for W_DISPLAY, the low byte otherwise) and fail when the host
// answers "ERR". 0 success, 1 failure (also for a null data pointer).
int txrx_VT71h(uint8_t op, int disp_code, uint32_t* data);

// The family of the slaves behind the host, into Slave_board. Returns 1 when every
// transaction went through (Slave_board may still be SLAVE_NONE: nothing answered as a
// display board), 0 when one failed: Slave_board is then SLAVE_NONE and the failure is
// in vx::link::lastFailureText(); it is not "no display boards".
int detect_Slave_board();
// The family rule on the replies: the answer to register 3 of code 0, then the answers
// to register 1 of codes 0..7 (ignored unless the first has three characters).
int32_t slaveFamily(const std::string& reg3, const std::string (&reg1)[DISPLAY_BOARDS]);

// Fills ids, ranges and widths of Parcfgh; values are left as they are.
void initParcfgh();

// Range test of Parcfgh[i]. In range: val_err 0, the rounded value stored into record cd
// (Dpoint also sets the point code of Option2; the scan time goes to Option3[1] in
// tenths whatever cd is), 1. Out of range: val_err 1, nothing stored, 0. An index or
// display code outside the tables stores nothing and returns 0.
int testValueh(int i, int cd);
// The edit rule: text cut to the entry's width (in place), read as a number into val,
// then testValueh.
int editParameterh(int i, std::string& text, int cd);
// Entry edited by a control, -1 when none.
int parameterhIndexOf(int32_t controlId);

// The point code of Option2 bits 4-5 for a decimal point position.
uint8_t pointCode(unsigned dpoint);

// Reads record cd (and, for a VT75h, Option2 and Option3) and the version into
// VT71h_fw; stops at the first failed read. 0 success, 1 failure.
int loadParcfgh(int cd);
// Writes record cd (VT75h: also Option2, Option3[0] and [1]); stops at the first
// failure. 0 success, 1 failure.
int write_to_VT71h(int cd);

// Version byte of display cd ("ATSD%02X02"); 0 success, 1 failure. A version of 0 means
// no board is there.
int readDisplayVersion(int cd, uint8_t* version);
// The command register: save to non-volatile memory (0xDD, 0xAA), restore the defaults
// (0xEE, 0xFF), reset (0x55). 0 success, 1 failure.
int saveDisplayBoard(int cd);
int defaultDisplayBoard(int cd);
int resetDisplayBoard(int cd);

// Waits up to 6 s, in the wait window, for a board to answer again after a reset:
// scheda 0 the host ("ATOS"), 1 display CodeD (its version equal to VT71h_fw).
// 1 answered, 0 time ran out or the user stopped.
int wait_boot(vx::ui::WindowHandle hDlg, int scheda);
