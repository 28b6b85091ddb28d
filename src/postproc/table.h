#pragma once
// The post-processing table: column headers, text cells and the row selection, held
// compactly for up to 100,000 rows of a few hundred columns. Each column keeps one 8-byte
// slot per row: a text of up to 7 characters lives in the slot itself, a longer one in the
// column's own text arena (offset and length in the slot). There is no heap object per cell.
//
// Observers follow every change, so a view can stay in step; a batch (beginUpdate /
// endUpdate) tells them only once, as a reset, at its end. The table also keeps the undo
// steps of the editing operations (column_ops.h): each reverts one edit, the last first.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::postproc {

class TextColumn {
  public:
    TextColumn() = default;
    explicit TextColumn(std::string header, size_t rows = 0) : header_(std::move(header)), slots_(rows) {}

    const std::string& header() const { return header_; }
    void setHeader(std::string_view h) { header_.assign(h); }
    size_t size() const { return slots_.size(); }
    // The text of row r; valid until the column changes.
    std::string_view get(size_t r) const;
    void set(size_t r, std::string_view text);
    void resize(size_t rows) { slots_.resize(rows); }
    // Rows [first, first + count) taken out as a column of their own (header kept empty).
    TextColumn takeRows(size_t first, size_t count);
    // The rows of `piece` put in before row `at`.
    void insertRows(size_t at, const TextColumn& piece);
    size_t memoryBytes() const { return slots_.capacity() * sizeof(Slot) + arena_.capacity(); }

  private:
    struct Slot {
        // Inline: chars in b[0..6], b[7] = length (0..7). Arena: b[7] = 0x80, offset in
        // b[0..3], length in b[4..5] (both little-endian).
        unsigned char b[8] = {};
    };
    void compactIfWasteful();

    std::string header_;
    std::vector<Slot> slots_;
    std::string arena_;
    size_t garbage_ = 0;
};

class TableObserver {
  public:
    virtual ~TableObserver() = default;
    virtual void tableAboutToReset() {}
    virtual void tableReset() {}
    virtual void headerChanged(int /*column*/) {}
    virtual void cellsChanged(int /*firstRow*/, int /*lastRow*/, int /*firstColumn*/, int /*lastColumn*/) {}
    virtual void rowsAboutToBeRemoved(int /*first*/, int /*count*/) {}
    virtual void rowsRemoved(int /*first*/, int /*count*/) {}
    virtual void rowsAboutToBeInserted(int /*first*/, int /*count*/) {}
    virtual void rowsInserted(int /*first*/, int /*count*/) {}
    virtual void columnsAboutToBeRemoved(int /*first*/, int /*count*/) {}
    virtual void columnsRemoved(int /*first*/, int /*count*/) {}
    virtual void columnsAboutToBeInserted(int /*first*/, int /*count*/) {}
    virtual void columnsInserted(int /*first*/, int /*count*/) {}
    virtual void rowSelectionChanged() {}
};

class Table {
  public:
    int rows() const { return rows_; }
    int columns() const { return int(cols_.size()); }
    bool hasCell(int r, int c) const { return r >= 0 && r < rows_ && c >= 0 && c < columns(); }

    std::string_view header(int c) const;  // "" outside the table
    const TextColumn* column(int c) const { return c >= 0 && c < columns() ? &cols_[size_t(c)] : nullptr; }
    std::string_view cell(int r, int c) const;
    bool setHeader(int c, std::string_view text);
    bool setCell(int r, int c, std::string_view text);

    // Structure.
    void clear();  // no rows, no columns, no undo steps
    int appendColumn(std::string_view header);
    void appendRows(int n);
    bool insertColumn(int at, TextColumn column);   // column.size() must equal rows()
    bool replaceColumn(int at, TextColumn column);  // the same, in place of column `at`
    TextColumn takeColumn(int at);
    bool swapColumns(int a, int b, int rowsLimit);  // headers and the cells of rows below rowsLimit
    // Rows [first, first + count) out of every column, and back in.
    std::vector<TextColumn> takeRows(int first, int count);
    void insertRows(int at, const std::vector<TextColumn>& piece);

    // Row selection.
    bool rowSelected(int r) const { return r >= 0 && r < rows_ && sel_[size_t(r)] != 0; }
    void setRowSelected(int r, bool on);
    void selectAllRows(bool on);
    void invertRowSelection();
    int selectedRowCount() const;

    // Batches: observers hear one reset at the end of the outermost batch.
    void beginUpdate();
    void endUpdate();

    void addObserver(TableObserver* o);
    void removeObserver(TableObserver* o);

    // Undo steps, newest last.
    void pushUndo(std::function<void(Table&)> revert);
    bool canUndo() const { return !undo_.empty(); }
    size_t undoDepth() const { return undo_.size(); }
    bool undo();  // reverts the newest step; false when there is none
    void clearUndo() { undo_.clear(); }

    size_t memoryBytes() const;

  private:
    template <class F>
    void notify(F&& f) {
        if (batch_ == 0)
            for (TableObserver* o : observers_)
                f(*o);
    }

    std::vector<TextColumn> cols_;
    std::vector<uint8_t> sel_;
    int rows_ = 0;
    int batch_ = 0;
    std::vector<TableObserver*> observers_;
    std::vector<std::function<void(Table&)>> undo_;
};

// The one table of the post-processing.
Table& theTable();

}  // namespace vx::postproc
