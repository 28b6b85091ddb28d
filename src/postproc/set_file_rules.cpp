#include "postproc/set_file_rules.h"

#include <cstring>

#include "postproc/column_ops.h"
#include "postproc/table.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"

namespace vx::postproc {

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

const char* const kUnsavedQuestion =
    "The table has changes that were not saved.\nClose without saving them ?";

namespace {

bool ask(vx::ui::WindowHandle owner, const char* text) {
    return vx::ui::message(owner, text, "Warning", Icon::Warning, Buttons::YesNo) == Answer::Yes;
}

void clearSelCol() {
    std::memset(SelCol, 0, sizeof SelCol);
}

int32_t selectedColumns() {
    return SelCol[0];
}

}  // namespace

SetFileOpening openSetFile(TableHandle t, vx::ui::WindowHandle dlg) {
    SetFileOpening o;
    o.separator = separatorText();
    o.formatA = Flag.file_format == FORMAT_A;
    if (InfoSES.nItem > MAX_TABLE_ITEMS) {
        vx::ui::message(dlg, "The number of items was limited to 100000 !", "Warning", Icon::Warning);
        InfoSES.nItem = MAX_TABLE_ITEMS;
    }
    clearSelCol();
    item_sel_en = 0;
    o.loaded = loadLV(t, DataTimeSS);
    return o;
}

SetFileButtons setFileButtons(TableHandle t) {
    SetFileButtons b;
    const int32_t n = selectedColumns();
    b.move = n == 1 && SelCol[2] != 1;
    b.merge = n > 1;
    b.deleteColumn = n >= 1 && InfoSES.nSubItem > 1;
    b.graph = n >= 1;
    b.deleteItem = item_sel_en == 1 && t && t->selectedRowCount() > 0 && get_listview_sel(t) == 1;
    return b;
}

bool cellClicked(TableHandle t, int32_t item, int32_t subitem, Click click) {
    if (!t || subitem < 0) return false;
    if (subitem <= 1) {
        item_sel_en = 1;
        if (click == Click::Right) {
            t->invertRowSelection();
            return false;
        }
        return item >= 0;
    }
    item_sel_en = 0;
    t->selectAllRows(false);
    if (subitem > SELCOL_LAST) return false;
    if (SelCol[1] == 1) clearSelCol();
    if (click == Click::Left && SelCol[subitem] != 1) {
        SelCol[subitem] = 1;
        ++SelCol[0];
    } else if (click == Click::Right && SelCol[subitem] == 1) {
        SelCol[subitem] = 0;
        --SelCol[0];
    }
    return false;
}

bool enforceRowMode(TableHandle t) {
    if (!t || item_sel_en != 0 || t->selectedRowCount() == 0) return false;
    t->selectAllRows(false);
    return true;
}

bool headerClicked(TableHandle t, int32_t subitem, vx::ui::WindowHandle owner) {
    char text[LV_TEXT_MAX + 1];
    if (!t || !getHeader(t, text, subitem)) return false;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", text);
    if (DlgInputText_(owner) != 1) return false;
    return renameColumn(t, subitem, EditBuf);
}

bool cellDoubleClicked(TableHandle t, int32_t item, int32_t subitem, vx::ui::WindowHandle owner) {
    char text[LV_TEXT_MAX + 1];
    if (!t || subitem < 2 || !getCell(t, text, item, subitem)) return false;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", text);
    MaxEdit = 10;
    if (DlgInputNum_(owner) != 1) return false;
    return editCell(t, item, subitem, EditBuf);
}

bool moveClicked(TableHandle t) {
    const int32_t moved = swapCol(t, SelCol, int32_t(InfoSES.nItem));
    SelCol[1] = 1;
    return moved != 0;
}

bool mergeClicked(TableHandle t, vx::ui::WindowHandle owner) {
    if (!ask(owner, "Merge the selected columns ?")) return false;
    const int32_t removed = mergeCol(t, SelCol, int32_t(InfoSES.nItem));
    if (removed == 0) {
        vx::ui::message(owner, "Merging not completed !", "Error", Icon::Error);
        return false;
    }
    InfoSES.nSubItem = InfoSES.nSubItem > uint32_t(removed) ? InfoSES.nSubItem - uint32_t(removed) : 0;
    return true;
}

bool deleteColumnClicked(TableHandle t, vx::ui::WindowHandle owner) {
    if (!ask(owner, "Delete all the selected columns ?")) return false;
    const int32_t removed = deleteCol(t, SelCol);
    if (removed <= 0) {
        vx::ui::message(owner, "Deleting columns not completed !", "Error", Icon::Error);
        return false;
    }
    InfoSES.nSubItem = InfoSES.nSubItem > uint32_t(removed) ? InfoSES.nSubItem - uint32_t(removed) : 0;
    return true;
}

bool deleteItemClicked(TableHandle t, vx::ui::WindowHandle owner) {
    if (!ask(owner, "Delete all the selected items ?")) return false;
    return deleteItems(t) > 0;
}

int32_t graphDone(TableHandle t, int32_t result, vx::ui::WindowHandle owner) {
    if (result == -2) {
        vx::ui::message(owner, "Unable to display graphic !", "Error", Icon::Error);
        return -1;
    }
    if (result < 0 || !t || result >= t->rows()) return -1;
    item_sel_en = 1;
    t->selectAllRows(false);
    t->setRowSelected(result, true);
    return result;
}

std::string separatorText() {
    return Flag.comma == 1 ? "Comma" : "Point";
}

std::string toggleSeparator() {
    Flag.comma = Flag.comma == 0 ? 1 : 0;
    return separatorText();
}

bool saveClicked(TableHandle t, bool formatA) {
    Flag.file_format = formatA ? FORMAT_A : FORMAT_B;
    return saveFile2(t, DataTimeSS, InfoSES) == 1 && Flag.COM_ext == 0;
}

bool undoClicked(TableHandle t) {
    if (!undoEdit(t)) return false;
    if (item_sel_en == 0 && t) t->selectAllRows(false);
    return true;
}

bool closeRequested(TableHandle t, vx::ui::WindowHandle owner) {
    if (t && t->canUndo() &&
        vx::ui::message(owner, kUnsavedQuestion, "Question", Icon::Question, Buttons::YesNo) != Answer::Yes)
        return false;
    clearSelCol();
    return true;
}

}  // namespace vx::postproc
