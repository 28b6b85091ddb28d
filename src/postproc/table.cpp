#include "postproc/table.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vx::postproc {

std::string_view TextColumn::get(size_t r) const {
    if (r >= slots_.size()) return {};
    const Slot& s = slots_[r];
    if (s.b[7] < 0x80) return {reinterpret_cast<const char*>(s.b), s.b[7]};
    uint32_t off = uint32_t(s.b[0]) | uint32_t(s.b[1]) << 8 | uint32_t(s.b[2]) << 16 | uint32_t(s.b[3]) << 24;
    uint32_t len = uint32_t(s.b[4]) | uint32_t(s.b[5]) << 8;
    return {arena_.data() + off, len};
}

void TextColumn::set(size_t r, std::string_view text) {
    if (r >= slots_.size()) return;
    std::string inlineCopy;
    if (text.size() <= 7) {  // may be the slot's own bytes, which are cleared below
        inlineCopy.assign(text);
        text = inlineCopy;
    }
    Slot& s = slots_[r];
    if (s.b[7] >= 0x80) garbage_ += size_t(s.b[4]) | size_t(s.b[5]) << 8;
    s = Slot{};
    if (text.size() > 0xFFFF) text = text.substr(0, 0xFFFF);
    if (text.size() <= 7) {
        std::memmove(s.b, text.data(), text.size());
        s.b[7] = uint8_t(text.size());
        return;
    }
    std::string own;
    if (text.data() >= arena_.data() && text.data() < arena_.data() + arena_.size()) {
        own.assign(text);  // a text of this very column: compaction may move it
        text = own;
    }
    compactIfWasteful();
    uint32_t off = uint32_t(arena_.size());
    arena_.append(text);
    for (int i = 0; i < 4; ++i)
        s.b[i] = uint8_t(off >> (8 * i));
    s.b[4] = uint8_t(text.size());
    s.b[5] = uint8_t(text.size() >> 8);
    s.b[7] = 0x80;
}

void TextColumn::compactIfWasteful() {
    if (garbage_ < 65536 || garbage_ * 2 < arena_.size()) return;
    std::string fresh;
    fresh.reserve(arena_.size() - garbage_);
    for (Slot& s : slots_) {
        if (s.b[7] < 0x80) continue;
        uint32_t off =
            uint32_t(s.b[0]) | uint32_t(s.b[1]) << 8 | uint32_t(s.b[2]) << 16 | uint32_t(s.b[3]) << 24;
        uint32_t len = uint32_t(s.b[4]) | uint32_t(s.b[5]) << 8;
        uint32_t now = uint32_t(fresh.size());
        fresh.append(arena_, off, len);
        for (int i = 0; i < 4; ++i)
            s.b[i] = uint8_t(now >> (8 * i));
    }
    arena_.swap(fresh);
    garbage_ = 0;
}

TextColumn TextColumn::takeRows(size_t first, size_t count) {
    first = std::min(first, slots_.size());
    count = std::min(count, slots_.size() - first);
    TextColumn piece(std::string(), count);
    for (size_t i = 0; i < count; ++i)
        piece.set(i, get(first + i));
    for (size_t i = 0; i < count; ++i)
        set(first + i, {});  // their arena texts become waste
    slots_.erase(slots_.begin() + std::ptrdiff_t(first), slots_.begin() + std::ptrdiff_t(first + count));
    compactIfWasteful();
    return piece;
}

void TextColumn::insertRows(size_t at, const TextColumn& piece) {
    at = std::min(at, slots_.size());
    slots_.insert(slots_.begin() + std::ptrdiff_t(at), piece.size(), Slot{});
    for (size_t i = 0; i < piece.size(); ++i)
        set(at + i, piece.get(i));
}

// ---------------------------------------------------------------------------------------

std::string_view Table::header(int c) const {
    return c >= 0 && c < columns() ? std::string_view(cols_[size_t(c)].header()) : std::string_view();
}

std::string_view Table::cell(int r, int c) const {
    return hasCell(r, c) ? cols_[size_t(c)].get(size_t(r)) : std::string_view();
}

bool Table::setHeader(int c, std::string_view text) {
    if (c < 0 || c >= columns()) return false;
    cols_[size_t(c)].setHeader(text);
    notify([c](TableObserver& o) { o.headerChanged(c); });
    return true;
}

bool Table::setCell(int r, int c, std::string_view text) {
    if (!hasCell(r, c)) return false;
    cols_[size_t(c)].set(size_t(r), text);
    notify([r, c](TableObserver& o) { o.cellsChanged(r, r, c, c); });
    return true;
}

void Table::clear() {
    beginUpdate();
    cols_.clear();
    sel_.clear();
    rows_ = 0;
    undo_.clear();
    endUpdate();
}

int Table::appendColumn(std::string_view header) {
    int at = columns();
    notify([at](TableObserver& o) { o.columnsAboutToBeInserted(at, 1); });
    cols_.emplace_back(std::string(header), size_t(rows_));
    notify([at](TableObserver& o) { o.columnsInserted(at, 1); });
    return at;
}

void Table::appendRows(int n) {
    if (n <= 0) return;
    int at = rows_;
    notify([at, n](TableObserver& o) { o.rowsAboutToBeInserted(at, n); });
    rows_ += n;
    for (TextColumn& c : cols_)
        c.resize(size_t(rows_));
    sel_.resize(size_t(rows_), 0);
    notify([at, n](TableObserver& o) { o.rowsInserted(at, n); });
}

bool Table::insertColumn(int at, TextColumn column) {
    if (at < 0 || at > columns() || int(column.size()) != rows_) return false;
    notify([at](TableObserver& o) { o.columnsAboutToBeInserted(at, 1); });
    cols_.insert(cols_.begin() + at, std::move(column));
    notify([at](TableObserver& o) { o.columnsInserted(at, 1); });
    return true;
}

bool Table::replaceColumn(int at, TextColumn column) {
    if (at < 0 || at >= columns() || int(column.size()) != rows_) return false;
    cols_[size_t(at)] = std::move(column);
    notify([at](TableObserver& o) { o.headerChanged(at); });
    if (rows_ > 0) notify([this, at](TableObserver& o) { o.cellsChanged(0, rows_ - 1, at, at); });
    return true;
}

TextColumn Table::takeColumn(int at) {
    if (at < 0 || at >= columns()) return {};
    notify([at](TableObserver& o) { o.columnsAboutToBeRemoved(at, 1); });
    TextColumn c = std::move(cols_[size_t(at)]);
    cols_.erase(cols_.begin() + at);
    notify([at](TableObserver& o) { o.columnsRemoved(at, 1); });
    return c;
}

bool Table::swapColumns(int a, int b, int rowsLimit) {
    if (a < 0 || b < 0 || a >= columns() || b >= columns()) return false;
    TextColumn& x = cols_[size_t(a)];
    TextColumn& y = cols_[size_t(b)];
    int n = std::clamp(rowsLimit, 0, rows_);
    if (n == rows_) {
        std::swap(x, y);
    } else {
        std::string h = x.header();
        x.setHeader(y.header());
        y.setHeader(h);
        for (int r = 0; r < n; ++r) {
            std::string t(x.get(size_t(r)));
            x.set(size_t(r), y.get(size_t(r)));
            y.set(size_t(r), t);
        }
    }
    int lo = std::min(a, b), hi = std::max(a, b);
    notify([lo, hi](TableObserver& o) {
        o.headerChanged(lo);
        o.headerChanged(hi);
    });
    if (n > 0) notify([lo, hi, n](TableObserver& o) { o.cellsChanged(0, n - 1, lo, hi); });
    return true;
}

std::vector<TextColumn> Table::takeRows(int first, int count) {
    std::vector<TextColumn> piece;
    first = std::clamp(first, 0, rows_);
    count = std::clamp(count, 0, rows_ - first);
    if (count == 0) return piece;
    notify([first, count](TableObserver& o) { o.rowsAboutToBeRemoved(first, count); });
    piece.reserve(cols_.size());
    for (TextColumn& c : cols_)
        piece.push_back(c.takeRows(size_t(first), size_t(count)));
    sel_.erase(sel_.begin() + first, sel_.begin() + first + count);
    rows_ -= count;
    notify([first, count](TableObserver& o) { o.rowsRemoved(first, count); });
    return piece;
}

void Table::insertRows(int at, const std::vector<TextColumn>& piece) {
    if (piece.size() != cols_.size() || piece.empty()) return;
    int count = int(piece[0].size());
    at = std::clamp(at, 0, rows_);
    if (count == 0) return;
    notify([at, count](TableObserver& o) { o.rowsAboutToBeInserted(at, count); });
    for (size_t c = 0; c < cols_.size(); ++c)
        cols_[c].insertRows(size_t(at), piece[c]);
    sel_.insert(sel_.begin() + at, size_t(count), 0);
    rows_ += count;
    notify([at, count](TableObserver& o) { o.rowsInserted(at, count); });
}

void Table::setRowSelected(int r, bool on) {
    if (r < 0 || r >= rows_ || (sel_[size_t(r)] != 0) == on) return;
    sel_[size_t(r)] = on ? 1 : 0;
    notify([](TableObserver& o) { o.rowSelectionChanged(); });
}

void Table::selectAllRows(bool on) {
    std::fill(sel_.begin(), sel_.end(), on ? 1 : 0);
    notify([](TableObserver& o) { o.rowSelectionChanged(); });
}

void Table::invertRowSelection() {
    for (uint8_t& s : sel_)
        s = s ? 0 : 1;
    notify([](TableObserver& o) { o.rowSelectionChanged(); });
}

int Table::selectedRowCount() const {
    return int(std::count(sel_.begin(), sel_.end(), uint8_t(1)));
}

void Table::beginUpdate() {
    if (batch_++ == 0)
        for (TableObserver* o : observers_)
            o->tableAboutToReset();
}

void Table::endUpdate() {
    if (batch_ == 0) return;
    if (--batch_ == 0)
        for (TableObserver* o : observers_)
            o->tableReset();
}

void Table::addObserver(TableObserver* o) {
    if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void Table::removeObserver(TableObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void Table::pushUndo(std::function<void(Table&)> revert) {
    undo_.push_back(std::move(revert));
}

bool Table::undo() {
    if (undo_.empty()) return false;
    auto revert = std::move(undo_.back());
    undo_.pop_back();
    revert(*this);
    return true;
}

size_t Table::memoryBytes() const {
    size_t n = sel_.capacity();
    for (const TextColumn& c : cols_)
        n += c.memoryBytes() + sizeof(TextColumn);
    return n;
}

Table& theTable() {
    static Table t;
    return t;
}

}  // namespace vx::postproc
