#include "postproc/column_ops.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "postproc/table.h"
#include "session/session_state.h"
#include "ui/input_dialogs.h"

namespace {

using PTable = vx::postproc::Table;
using vx::postproc::TextColumn;

struct Batch {
    PTable& t;
    explicit Batch(PTable& table) : t(table) { t.beginUpdate(); }
    ~Batch() { t.endUpdate(); }
};

// What every column operation puts back on undo besides the cells.
struct Selection {
    std::array<int32_t, SELCOL_SIZE> selcol;
    int32_t* target;
    uint32_t nItem, nSubItem;

    explicit Selection(int32_t* sc) : target(sc), nItem(InfoSES.nItem), nSubItem(InfoSES.nSubItem) {
        if (sc) std::memcpy(selcol.data(), sc, sizeof(int32_t) * SELCOL_SIZE);
    }
    void restore() const {
        if (target) std::memcpy(target, selcol.data(), sizeof(int32_t) * SELCOL_SIZE);
        InfoSES.nItem = nItem;
        InfoSES.nSubItem = nSubItem;
    }
};

int lastSelectable(const PTable& t) {
    return t.columns() - 1 < SELCOL_LAST ? t.columns() - 1 : SELCOL_LAST;
}

struct RemovedColumn {
    int index;  // where it stood before the operation
    TextColumn column;
};

}  // namespace

namespace vx::postproc {

void formatValue(char* buf, int32_t prec, float value) {
    // std::to_chars gives the digits printf gives (both round the exact value correctly),
    // without parsing a format for each of the millions of cells a save writes.
    if (std::isfinite(value) && prec >= 0 && prec <= LV_NUM_MAX) {
        char text[64];
        std::to_chars_result r;
        if (prec == 0)
            r = std::to_chars(text, text + sizeof text, int(std::lrintf(value)));  // as sprintf_format
        else
            r = std::to_chars(text, text + sizeof text, double(value), std::chars_format::fixed, int(prec));
        if (r.ec == std::errc()) {
            size_t n = size_t(r.ptr - text);
            if (prec > 4 && n > 31) n = 31;  // the 32-byte limit of the longer forms
            std::memcpy(buf, text, n);
            buf[n] = 0;
            return;
        }
    }
    if (prec > 4 && prec <= LV_NUM_MAX)
        std::snprintf(buf, 32, "%.*f", int(prec), double(value));
    else
        sprintf_format(buf, prec, value);
}

}  // namespace vx::postproc

int32_t swapCol(TableHandle t, int32_t* selcol, int32_t nitem) {
    if (!t || !selcol || selcol[0] != 1) return 0;
    int32_t src = 0;
    for (int32_t c = 3; c <= SELCOL_LAST; ++c)
        if (selcol[c] == 1) src = c;
    if (src == 0 || src >= t->columns()) return 0;
    const int32_t dst = src - 1;
    Selection before(selcol);
    t->swapColumns(src, dst, nitem);
    selcol[dst] = 1;
    selcol[src] = 0;
    t->pushUndo([before, src, dst, nitem](PTable& table) {
        table.swapColumns(src, dst, nitem);
        before.restore();
    });
    return dst;
}

int32_t mergeCol(TableHandle t, int32_t* selcol, int32_t nitem) {
    if (!t || !selcol) return 0;
    std::vector<int32_t> chosen;
    for (int32_t c = 2; c <= lastSelectable(*t); ++c)
        if (selcol[c] == 1) chosen.push_back(c);
    if (chosen.size() < 2) return 0;
    const int32_t dst = chosen.front();
    Selection before(selcol);
    Batch batch(*t);
    TextColumn oldDestination = *t->column(dst);

    const int32_t rows = nitem < t->rows() ? nitem : t->rows();
    char text[40];
    for (int32_t r = 0; r < rows; ++r) {
        float sum = 0.0f;
        int32_t prec = 0;
        for (int32_t c : chosen)
            sum += strLV_num(t, r, c, &prec);
        vx::postproc::formatValue(text, prec, sum / float(chosen.size()));
        t->setCell(r, dst, text);
    }
    std::vector<RemovedColumn> removed;
    for (size_t i = 1; i < chosen.size(); ++i) {
        const int32_t j = chosen[i];
        selcol[j] = 0;
        removed.push_back({j, t->takeColumn(j - int32_t(i) + 1)});
    }
    selcol[0] = 1;
    auto shared = std::make_shared<std::vector<RemovedColumn>>(std::move(removed));
    auto oldDst = std::make_shared<TextColumn>(std::move(oldDestination));
    t->pushUndo([before, shared, oldDst, dst](PTable& table) {
        Batch b(table);
        for (RemovedColumn& rc : *shared)
            table.insertColumn(rc.index, std::move(rc.column));
        table.replaceColumn(dst, std::move(*oldDst));
        before.restore();
    });
    return int32_t(shared->size());
}

int32_t deleteCol(TableHandle t, int32_t* selcol) {
    if (!t || !selcol) return 0;
    Selection before(selcol);
    Batch batch(*t);
    std::vector<RemovedColumn> removed;
    int32_t count = 0;
    for (int32_t c = 2; c <= SELCOL_LAST; ++c) {
        if (selcol[c] != 1) continue;
        selcol[c] = 0;
        const int32_t at = c - count;
        if (at >= t->columns()) continue;  // no such column: nothing to delete
        removed.push_back({c, t->takeColumn(at)});
        ++count;
    }
    selcol[0] = 0;
    if (count > 0) {
        auto shared = std::make_shared<std::vector<RemovedColumn>>(std::move(removed));
        t->pushUndo([before, shared](PTable& table) {
            Batch b(table);
            for (RemovedColumn& rc : *shared)
                table.insertColumn(rc.index, std::move(rc.column));
            before.restore();
        });
    }
    return count;
}

namespace vx::postproc {

int32_t deleteItems(TableHandle t) {
    if (!t || get_listview_sel(t) != 1) return 0;
    Selection before(nullptr);
    Batch batch(*t);
    const int32_t first = First_itemval, last = Last_itemval;
    auto tail = std::make_shared<std::vector<TextColumn>>(t->takeRows(last + 1, t->rows() - last - 1));
    auto head = std::make_shared<std::vector<TextColumn>>(t->takeRows(0, first));
    const int32_t removed =
        (tail->empty() ? 0 : int32_t((*tail)[0].size())) + (head->empty() ? 0 : int32_t((*head)[0].size()));
    InfoSES.nItem = InfoSES.nItem > uint32_t(removed) ? InfoSES.nItem - uint32_t(removed) : 0;
    item_sel_en = 0;
    t->selectAllRows(false);
    if (removed > 0) {
        t->pushUndo([before, head, tail](PTable& table) {
            Batch b(table);
            table.insertRows(0, *head);
            table.insertRows(table.rows(), *tail);
            before.restore();
        });
    }
    return removed;
}

bool renameColumn(TableHandle t, int32_t column, const std::string& text) {
    if (!t || column < 0 || column >= t->columns()) return false;
    std::string old(t->header(column));
    t->setHeader(column, text);
    t->pushUndo([column, old](PTable& table) { table.setHeader(column, old); });
    return true;
}

bool editCell(TableHandle t, int32_t item, int32_t subitem, const std::string& text) {
    if (!t || !t->hasCell(item, subitem)) return false;
    std::string old(t->cell(item, subitem));
    t->setCell(item, subitem, text);
    t->pushUndo([item, subitem, old](PTable& table) { table.setCell(item, subitem, old); });
    return true;
}

bool undoEdit(TableHandle t) {
    return t && t->undo();
}

}  // namespace vx::postproc
