#pragma once
// The user-interaction layer. Core procedures talk to the user only through it; the
// desktop windows, the terminal and the test script each provide a backend.
//
// Every text crossing this interface is the program's own single-byte Windows-1252 text;
// a backend converts at its edge (text_encoding.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/compiler.h"

namespace vx::ui {

using WindowHandle = void*;  // a QWidget* in the desktop program, null elsewhere

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, YesNo, YesNoCancel, AbortRetryIgnore };
// Numbered as the platform's message box results, which callers compare with.
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

enum class InputKind { Text, Num, Num2, Txt };  // column header, number, number in range, text

struct FileFilter {
    std::string description;  // "*.tel (phone book)"
    std::string pattern;      // "*.tel"
};

struct FileDialogOptions {
    std::vector<FileFilter> filters;
    std::string defaultExt;  // added when the typed name has none
    std::string initialName;
    bool mustExist = false;     // open: the file must exist
    bool askOverwrite = false;  // save: ask before replacing a file
};

class Backend {
  public:
    virtual ~Backend() = default;

    virtual Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
                           Buttons buttons) = 0;

    virtual std::optional<std::string> openFileName(WindowHandle owner, const FileDialogOptions& opts) = 0;
    virtual std::optional<std::string> saveFileName(WindowHandle owner, const FileDialogOptions& opts) = 0;

    // The wait window. The common layer keeps its state (open or closed); a backend only
    // shows it. pollWait handles at most one pending user event; a Stop click is passed
    // to waitStopClicked() (wait_window.h), which asks and may close the window.
    virtual void showWait(WindowHandle owner, const std::string& text) = 0;
    virtual void setWaitText(const std::string& text) = 0;
    virtual void setWaitBar(int percent) = 0;
    // The bar with the step it stands for: step cur of end, counted in `unit` ("pages"; ""
    // when the steps are no unit a user counts). A backend may show the count, the rate
    // and the time left; by default only the bar.
    virtual void setWaitProgress(int percent, uint32_t /*cur*/, uint32_t /*end*/,
                                 const std::string& /*unit*/) {
        setWaitBar(percent);
    }
    virtual void pollWait() = 0;
    virtual void closeWait() = 0;

    // Runs one modal input dialog over `owner` with the shared input globals
    // (input_dialogs.h); 1 when the user confirmed (EditBuf then holds the result).
    virtual int inputDialog(InputKind kind, WindowHandle owner) = 0;

    // Multi-line report boxes and status bars.
    virtual void appendText(WindowHandle box, const std::string& text) = 0;
    virtual void clearText(WindowHandle box) = 0;
    virtual void setStatus(WindowHandle window, int part, const std::string& text) = 0;

    // The information sound (a picture file was written); silent where there is no sound.
    virtual void beep() {}
};

// The backend in use; a terminal backend until another is installed.
Backend& backend();
void setBackend(Backend* b);  // null restores the default

// What a box with these buttons answers when it is closed without a choice (and what a
// backend without a user answers): Ok, No, Cancel or Abort.
Answer closeAnswer(Buttons buttons);

// A message box through the backend in use.
Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons = Buttons::Ok);

// Told of every message box once it has been answered (the protocol trace keeps them);
// null: nobody.
using MessageObserver = void (*)(const std::string& text, const std::string& caption, Icon icon,
                                 Buttons buttons, Answer answer);
void setMessageObserver(MessageObserver observer);

// printf-style formatting into a std::string (the documented formats are printf formats).
std::string format(const char* fmt, ...) VX_PRINTF_FORMAT(1, 2);

}  // namespace vx::ui
