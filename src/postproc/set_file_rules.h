#pragma once
// The post-processing dialog ("Formatting output file") without its widgets: what it shows
// when it opens, the click rules of the table in its two selection modes (rows while
// item_sel_en is 1, columns while it is 0), the buttons' questions and messages, which
// buttons are enabled, the decimal separator, saving, undo and closing.

#include <cstdint>
#include <string>

#include "postproc/table_access.h"
#include "ui/backend.h"

namespace vx::postproc {

// The dialog opens: the separator text and format choice from Flag, the row count limited
// to 100000 (with a warning), the column selection and the row mode cleared, and the table
// filled from the data record file DataTimeSS. The window then shows the table.
struct SetFileOpening {
    std::string separator;  // ID_BTNC_SELFDOT: "Comma" or "Point"
    bool formatA = true;    // ID_BTNR_SELFA checked, else ID_BTNR_SELFB
    int32_t loaded = 0;     // loadLV's result (what was read is shown either way)
};
SetFileOpening openSetFile(TableHandle t, vx::ui::WindowHandle dlg);

// Enabled state of the action buttons, from the column selection, the row selection and
// the table's size.
struct SetFileButtons {
    bool move = false;          // ID_BTN_SELFSPOSTA: one column, not the first data column
    bool merge = false;         // ID_BTN_SELFFUSIONE: more than one
    bool deleteColumn = false;  // ID_BTN_SELFDELCOL: one or more, and more than one data column
    bool deleteItem = false;    // ID_BTN_SELFCUT: row mode, the unselected rows one block
    bool graph = false;         // ID_BTN_SELFGRAPH: one or more
};
SetFileButtons setFileButtons(TableHandle t);

enum class Click { Left, Right };

// A click into a cell. Columns 0 and 1 enter row mode: a left click lets the view select
// the clicked row by its usual rules (true: the window then applies them), a right click
// inverts every row's selection. A click into a data column enters column mode: the rows are
// deselected and the column selected (left) or deselected (right); a first click after a
// move starts a new selection.
bool cellClicked(TableHandle t, int32_t item, int32_t subitem, Click click);

// While item_sel_en is 0 a row selection is taken back at once: true when rows were
// deselected.
bool enforceRowMode(TableHandle t);

// A click on a header: DlgInputText with the header text; on Ok the header becomes the
// text typed. True when it changed.
bool headerClicked(TableHandle t, int32_t subitem, vx::ui::WindowHandle owner);
// A double click on a data cell: DlgInputNum (at most 10 characters) with the cell text;
// on Ok the cell becomes the reformatted number. True when it changed.
bool cellDoubleClicked(TableHandle t, int32_t item, int32_t subitem, vx::ui::WindowHandle owner);

// The buttons. Each returns true when the table changed.
bool moveClicked(TableHandle t);
bool mergeClicked(TableHandle t, vx::ui::WindowHandle owner);
bool deleteColumnClicked(TableHandle t, vx::ui::WindowHandle owner);
bool deleteItemClicked(TableHandle t, vx::ui::WindowHandle owner);
// After the column graph: -2 shows "Unable to display graphic !"; a row (0 or more) is
// selected in row mode and returned for the window to scroll to; else -1.
int32_t graphDone(TableHandle t, int32_t result, vx::ui::WindowHandle owner);
// Toggles Flag.comma; the separator button's new text.
std::string toggleSeparator();
std::string separatorText();
// Save with the format chosen: true when the plug-in launcher is to open next (the file
// was written and the program was not started on a port of its command line).
bool saveClicked(TableHandle t, bool formatA);

// Ctrl+Z: the newest edit reverted (false when none is left).
bool undoClicked(TableHandle t);
// Closing: with edits not saved, asks first; true when the dialog may close. The column
// selection is cleared when it does.
bool closeRequested(TableHandle t, vx::ui::WindowHandle owner);

extern const char* const kUnsavedQuestion;

}  // namespace vx::postproc
