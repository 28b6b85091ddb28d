#include "postproc/table_access.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "postproc/table.h"

int32_t SelCol[SELCOL_SIZE];
int32_t item_sel_en;
int32_t First_itemval, Last_itemval;

namespace {

int32_t copyOut(char* buf, std::string_view text, int32_t limit) {
    size_t n = text.size() < size_t(limit) ? text.size() : size_t(limit);
    std::memcpy(buf, text.data(), n);
    buf[n] = 0;
    return 1;
}

float strLV_previous = 0.0f;  // the value read before, for cells holding a "_" text

// "-12.5", "300": an optional minus, digits, and a point with digits. Such a text reads
// the same with std::from_chars as with strtof (both round correctly), only faster.
bool plainNumber(const char* s) {
    if (*s == '-') ++s;
    if (*s < '0' || *s > '9') return false;
    while (*s >= '0' && *s <= '9')
        ++s;
    if (*s == '.') {
        ++s;
        if (*s < '0' || *s > '9') return false;
        while (*s >= '0' && *s <= '9')
            ++s;
    }
    return *s == 0;
}

float fromChars(const char* s) {
    float v = 0.0f;
    const auto r = std::from_chars(s, s + std::strlen(s), v);
    return r.ec == std::errc() ? v : std::strtof(s, nullptr);  // out of range: strtof's answer
}

}  // namespace

int32_t getHeader(TableHandle t, char* buf, int32_t subitem) {
    buf[0] = 0;
    if (!t || subitem < 0 || subitem >= t->columns()) return 0;
    return copyOut(buf, t->header(subitem), LV_TEXT_MAX);
}

int32_t setHeader(TableHandle t, const char* buf, int32_t subitem) {
    return t && buf && t->setHeader(subitem, buf) ? 1 : 0;
}

int32_t getCell(TableHandle t, char* buf, int32_t item, int32_t subitem) {
    buf[0] = 0;
    if (!t || !t->hasCell(item, subitem)) return 0;
    return copyOut(buf, t->cell(item, subitem), LV_TEXT_MAX);
}

int32_t setCell(TableHandle t, const char* buf, int32_t item, int32_t subitem) {
    return t && buf && t->setCell(item, subitem, buf) ? 1 : 0;
}

float strLV_num(TableHandle t, int32_t item, int32_t subitem, int32_t* precision) {
    if (item == 0) strLV_previous = 0.0f;
    char text[LV_NUM_MAX + 1] = {};
    if (t && t->hasCell(item, subitem)) copyOut(text, t->cell(item, subitem), LV_NUM_MAX);
    int32_t decimals = 0;
    if (const char* dot = std::strchr(text, '.'))
        for (const char* p = dot + 1; *p; ++p)
            if (static_cast<unsigned char>(*p) >= '0') ++decimals;
    if (precision) *precision = decimals;
    if (text[0] == '_') {
        if (std::strcmp(text, "_Irr_low") == 0) return 100.0f;
        if (std::strcmp(text, "_Pnom_low") == 0) return 0.0f;
        return strLV_previous;
    }
    strLV_previous = plainNumber(text) ? fromChars(text) : std::strtof(text, nullptr);
    return strLV_previous;
}

int32_t get_listview_sel(TableHandle t) {
    if (!t) return 0;
    bool unselectedSeen = false, gap = false, split = false;
    for (int r = 0; r < t->rows(); ++r) {
        if (t->rowSelected(r)) {
            if (unselectedSeen) gap = true;
            continue;
        }
        if (!unselectedSeen) {
            First_itemval = r;
            Last_itemval = r;
            unselectedSeen = true;
        } else {
            Last_itemval = r;
        }
        if (gap) split = true;
    }
    return unselectedSeen && !split ? 1 : 0;
}

int32_t tableRows(TableHandle t) {
    return t ? t->rows() : 0;
}

int32_t tableColumns(TableHandle t) {
    return t ? t->columns() : 0;
}

int32_t rowSelected(TableHandle t, int32_t item) {
    return t && t->rowSelected(item) ? 1 : 0;
}
