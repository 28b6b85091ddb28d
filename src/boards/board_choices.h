#pragma once
// The choice lists that give the image's bit fields their texts, and the updates a combo
// selection makes. The combo index is the stored value; the text before " - " is that
// value. The update functions take the combo's text, so the dialog window and the
// command line share them.

#include <cstdint>
#include <string>

#include "ui/backend.h"

struct ChoiceList {
    const char* const* items;
    int count;
    const char* operator[](int i) const { return i >= 0 && i < count ? items[i] : ""; }
};

extern const ChoiceList Lista_Sorgenti_dati;      // 5
extern const ChoiceList Lista_Sorgenti_datim;     // 4
extern const ChoiceList Lista_nodeadd;            // 4
extern const ChoiceList Lista_Baud_Rate;          // 4
extern const ChoiceList Lista_Protocolli;         // 4
extern const ChoiceList Lista_allarme_etag;       // 4
extern const ChoiceList Lista_allarme_inv;        // 4
extern const ChoiceList Lista_Grandezze_Display;  // 16

// Index of text in the list (exact comparison); the list length when it is not there.
int choiceIndex(const ChoiceList& list, const std::string& text);

// Each stores the index of text into its bit field, the rest of the word kept, and
// returns the index. A text that is not in the list changes nothing (its index, the list
// length, would not fit the field) and returns the list length.
int upd_Display_gra(const std::string& text, int ndisplay);  // low nibble of Display_gra[n]
int upd_Option_alaetag(const std::string& text);             // Option bits 4-5
int upd_Option_alainv(const std::string& text);              // Option bits 6-7
int upd_Option_sorgm(const std::string& text);               // Option bits 8-9
int upd_Option_nodeadd(const std::string& text);             // Option bits 10-11
int upd_ComReg_Proto(const std::string& text);               // ComReg bits 0-3
int upd_ComReg_BaudRate(const std::string& text);            // ComReg bits 6-7

// Option bits 0-2. A source that needs a display port that is off is refused: source 3
// while display 3 shows nothing, source 4 while display 0 does; the user is told
// ("Warning, Display 3 is not enabled !", "Setup Error"), source 0 is stored and 0 is
// returned, which the combo then shows.
int upd_Option_sorg(vx::ui::WindowHandle owner, const std::string& text);

// The controls a power/energy data source needs.
struct SourceControls {
    bool baudRate, protocol, inverters, startAddress, inverterAlarm;
};
SourceControls enable_cntr_sdati(int source);
