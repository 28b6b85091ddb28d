#pragma once
// The post-processing table as the rest of the program reads and writes it: column
// headers, cells and the row selection, through the accessors with the documented names
// and character limits. The table itself (vx::postproc::Table, table.h) holds the cells
// compactly; the window shows it through a model, and the loading, the column operations,
// the saving and the column graph work on it here, without widgets.

#include <cstdint>

namespace vx::postproc {
class Table;
}
using TableHandle = vx::postproc::Table*;

constexpr int32_t LV_TEXT_MAX = 99;  // characters a header or cell read gives at most
constexpr int32_t LV_NUM_MAX = 9;    // characters strLV_num reads of a cell
constexpr int32_t SELCOL_SIZE = 243;
constexpr int32_t SELCOL_LAST = 241;  // highest column index that can be selected

// Column selection: [0] count, [1] "next column click starts a new selection", [2..241] 1 when selected.
extern int32_t SelCol[SELCOL_SIZE];
extern int32_t item_sel_en;  // 1 while rows may be selected
extern int32_t First_itemval, Last_itemval;

// Each read copies at most LV_TEXT_MAX characters and a NUL into buf (buf holds 100 bytes);
// 1 when the header or cell exists, else 0 with buf empty.
int32_t getHeader(TableHandle t, char* buf, int32_t subitem);
int32_t setHeader(TableHandle t, const char* buf, int32_t subitem);
int32_t getCell(TableHandle t, char* buf, int32_t item, int32_t subitem);
int32_t setCell(TableHandle t, const char* buf, int32_t item, int32_t subitem);

// The cell as a number from its first 9 characters; *precision gets its decimals. "_Irr_low"
// gives 100, "_Pnom_low" 0, another "_" text the value read before (reset at item 0).
float strLV_num(TableHandle t, int32_t item, int32_t subitem, int32_t* precision);

// 1 when the rows not selected form one block (at least one row), setting First_itemval and
// Last_itemval; else 0.
int32_t get_listview_sel(TableHandle t);

// Rows and columns now in the table, and whether row `item` is selected (0 or 1).
int32_t tableRows(TableHandle t);
int32_t tableColumns(TableHandle t);
int32_t rowSelected(TableHandle t, int32_t item);
