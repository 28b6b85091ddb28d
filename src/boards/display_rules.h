#pragma once
// The rules of the display board window and of its clock-tuning window, without the
// windows: what they show for a display record, which controls a family has, what each
// control changes, the service keys and the tuning steps.

#include <cstdint>
#include <string>

#include "boards/board_choices.h"
#include "boards/display_board.h"
#include "ui/backend.h"

extern const ChoiceList Lista_Colore_Grandezza;  // 4
extern const ChoiceList Lista_Modi_Operativi;    // 4

// Each stores the index of text into its field (other bits kept) and returns it; a text
// not in the list, or a display code outside 0..7, changes nothing and returns the list
// length.
int upd_Option_BaudRateh(const std::string& text, int cd);  // Option bits 0-1
int upd_Option_ColDid(const std::string& text, int cd);     // Option bits 2-3
int upd_Option2_ColGra(const std::string& text, int cd);    // Option2 bits 6-7
int upd_Option3_Mode(const std::string& text);              // Option3[0] bits 0-1

// The check boxes and the bit each sets or clears.
enum class DisplayCheck { DisplayOff, AutoBright, Blinking, NightOff, ScanOff };
// Sets or clears the box's bit; false (nothing changed) for a code outside 0..7.
bool setDisplayCheck(DisplayCheck which, bool on, int cd);

// What the window shows for record cd and Option3.
struct DisplayForm {
    std::string ndigit, dpoint, dlux, scan;  // "%u", scan "%1.1f" seconds
    int baud = 0, titleColor = 0, numberColor = 0, mode = 0;
    bool displayOff = false, autoBright = false, blinking = false, nightOff = false, scanOff = false;
    bool scanEditEnabled = true;  // the scan edit and its labels, off while scan "OFF"
};
DisplayForm print_VT71h(int cd);

// Title and family-dependent controls of the window.
struct DisplayLayout {
    std::string title;
    bool digitEdit = true;  // the digit-count edit and its range label
    bool baudRate = true;   // the baud-rate combo and its label
    bool scan = false;      // scan label, edit, check and unit
    bool mode = false;      // mode label and combo
    bool colours = false;   // both colour combos and the title-colour label
    bool nightOff = false;
    std::string label1503;  // "Number color" or "Digit number"
};
// The version byte 0 means no board: check that first (displayFound).
DisplayLayout displayLayout(int32_t family, int cd, uint8_t version, bool qm42);
inline bool displayFound(uint8_t version) {
    return version != 0;
}

// Service keys of the window: 'X' the receive time-out register, 'O' Option3[4], 'C' the
// clock tuning (the last two only on a VT75h).
bool serviceKeyAvailable(char key, int32_t family);
enum class ServiceResult { NotAvailable, Cancelled, Written, ComError };
// 'X' and 'O': reads the register, asks for a new value (0..255) and writes it.
ServiceResult displayServiceKey(vx::ui::WindowHandle owner, char key, int cd);

// The clock-tuning register Option3[5]: a signed 6-bit value and the pulse output.
int tuningValue(uint8_t reg);               // -32..31
uint8_t tuningByte(int value, bool pulse);  // (value & 0x3F) | 0x80 with the pulse
int tuningStep(int value, int delta);       // +1 / -1, held within -32..31

// The tuning window's state: read when it opens, written at every change.
class Tunosc {
  public:
    // Reads the register; 0 success, 1 failure (the window shows the communication
    // error).
    int open();
    int value() const { return value_; }
    bool pulse() const { return pulse_; }
    // "+", "-" and the check box; each writes the byte at once. 0 success, 1 failure.
    int increment() { return step(+1); }
    int decrement() { return step(-1); }
    int setPulse(bool on);
    // The window's result: 1 when the last byte written differs from the one read.
    int result() const { return written_ != read_ ? 1 : 0; }

  private:
    int step(int delta);
    int write();
    uint8_t read_ = 0, written_ = 0;
    int value_ = 0;
    bool pulse_ = false;
};
