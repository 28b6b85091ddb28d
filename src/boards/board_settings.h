#pragma once
// The board's parameters by name, for the command line: every edit, choice and check box of
// the configuration window, set by the same rules (ranges, the phone text, the data source
// that needs its display) and shown as the window shows them.

#include <string>
#include <vector>

#include "boards/board_image.h"
#include "ui/backend.h"

namespace vx::boards {

struct BoardSetting {
    const char* name;    // "tca", "source", "display3", ...
    const char* values;  // what it takes, for the usage text
    int offset, bytes;   // the image bytes it lives in
};
const std::vector<BoardSetting>& boardSettings();

// Sets NAME to VALUE in EE as the window would. A choice takes its index, its whole text or
// the text after "N - "; a check box on/off (1/0). Empty on success, otherwise why not (the
// window's own message where it has one, e.g. "Warning, Display 3 is not enabled !").
std::string applyBoardSetting(vx::ui::WindowHandle owner, const std::string& name, const std::string& value);

// The setting's value in an image, as the window shows it.
std::string boardSettingText(const BoardSetting& s, const ee_buf& image);

// "name: old -> new" for every setting that differs, then "byte N: XX -> YY" for changed
// bytes that no changed setting accounts for.
std::vector<std::string> boardChanges(const ee_buf& before, const ee_buf& after);

// The checks the window makes, on a whole image (a parameter file): each value in its range
// and the data source's display on. Empty when sound, otherwise the first problem.
std::string checkBoardImage(const ee_buf& image);

}  // namespace vx::boards
