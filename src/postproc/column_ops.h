#pragma once
// The editing operations of the post-processing table. Each one records an undo step in
// the table (Table::undo reverts the newest), which also puts back the column selection
// and the table size in InfoSES as they were before the edit; saving the table drops the
// steps.

#include <cstdint>
#include <string>

#include "postproc/table_access.h"

// Moves the one selected column (index 3..241, the highest if several) one place to the
// left with its header; cells of the rows below nitem. The new index, 0 when nothing moved.
int32_t swapCol(TableHandle t, int32_t* selcol, int32_t nitem);
// Replaces the leftmost selected column by the row averages of all selected columns (each
// written with the decimals of the last selected column's value in that row) and deletes
// the others. The number of columns removed, 0 when fewer than two were selected.
int32_t mergeCol(TableHandle t, int32_t* selcol, int32_t nitem);
// Deletes every selected column. The number of columns deleted.
int32_t deleteCol(TableHandle t, int32_t* selcol);

namespace vx::postproc {

// "Delete item": when the rows not selected form one block (get_listview_sel), deletes the
// selected rows after it, then those before it; InfoSES.nItem drops by the count, the row
// selection is cleared and item_sel_en becomes 0. The rows deleted (0 when none).
int32_t deleteItems(TableHandle t);

// A new header text for column `column`; a new text for one cell. False outside the table.
bool renameColumn(TableHandle t, int32_t column, const std::string& text);
bool editCell(TableHandle t, int32_t item, int32_t subitem, const std::string& text);

// Reverts the newest edit; false when there is none left.
bool undoEdit(TableHandle t);

// Formats a value with `prec` decimals as the saved files and the merge write it: as
// sprintf_format for 0..4 decimals, with more decimals kept as they are (a cell edited to
// 5 or more decimals keeps them instead of turning into "Err").
void formatValue(char* buf, int32_t prec, float value);

}  // namespace vx::postproc
