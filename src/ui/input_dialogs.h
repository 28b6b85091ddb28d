#pragma once
// The small modal input dialogs and the globals through which callers exchange their
// inputs and results, plus the editing rules every backend applies while the user types.

#include <cstdint>
#include <string>

#include "ui/backend.h"

constexpr int EDITBUF_SIZE = 1000;
constexpr size_t kInputResultMax = 100;  // a confirmed text keeps at most 100 characters

extern char EditBuf[EDITBUF_SIZE];
extern char TitoloBuf[100];
extern int32_t MaxEdit;
extern float InputMin, InputMax;
extern int32_t Ndec;

// Each returns 1 when the user confirmed (EditBuf holds the result), 0 on cancel.
int32_t DlgInputText_(vx::ui::WindowHandle owner);  // column header
int32_t DlgInputNum_(vx::ui::WindowHandle owner);   // number, reformatted on confirm
int32_t DlgInputNum2_(vx::ui::WindowHandle owner);  // number within InputMin..InputMax
int32_t DlgInputTxt_(vx::ui::WindowHandle owner);   // text of at most MaxEdit characters

// A float with `prec` decimals (0: rounded integer), "Err" for any other precision.
void sprintf_format(char* buf, int32_t prec, float dato);

namespace vx::ui {

// The edit field after a change, as the dialog leaves it.
struct EditState {
    std::string text;
    bool okEnabled = false;
    bool textChanged = false;  // the dialog rewrote the field (caret goes to the end)
};

// The edit rules of each dialog, applied on every change of the field's text.
EditState onEditChange(InputKind kind, const std::string& typed);
// The text the dialog puts into EditBuf on confirm.
std::string confirmedText(InputKind kind, const std::string& fieldText);
// Static lines the dialogs show: the range line and the length line.
std::string rangeLine();
std::string lengthLine();
// The caption of a dialog ("" for the ones without).
std::string inputCaption(InputKind kind);

// Runs a dialog without a window: the text typed (character by character) into a field
// preset from EditBuf, then Ok if it is enabled. Returns what the dialog would.
int typeAndConfirm(InputKind kind, const std::string& typed);

}  // namespace vx::ui
