#include "quick/quick_mode.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/compiler.h"
#include "quick/flash_image.h"
#include "quick/quick_session.h"
#include "session/download.h"
#include "session/memory_model.h"
#include "session/session_state.h"
#include "state/flags.h"

using namespace vx::session;

namespace vx::quick {

namespace {

void setSessionFlags() {
    Flag.table_error = Flag.pagefirst_error = Flag.pagelast_error = Flag.time_error = Flag.pages_error = 1;
}

void appendf(std::string& out, const char* fmt, ...) VX_PRINTF_FORMAT(2, 3);
void appendf(std::string& out, const char* fmt, ...) {
    char buf[64];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n > 0) out.append(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

}  // namespace

QuickControls openQuickMode() {
    Flag.page_type = 0;
    setSessionFlags();
    return {};
}

bool startAllowed() {
    return Flag.table_error == 0 && Flag.pagefirst_error == 0 && Flag.pagelast_error == 0 &&
           Flag.sample_error == 0;
}

QuickControls chooseSession(int32_t index, vx::ui::WindowHandle report) {
    setSessionFlags();
    if (index < 0 || index >= IndTab || index >= MAX_SESSIONS) return {};
    std::memcpy(DataTimeSS, Table[index].datainizio, sizeof DataTimeSS);
    DataTimeSS[sizeof DataTimeSS - 1] = 0;
    // The entry itself, not the first one with the same start: two tables of a memory can
    // carry the same start time.
    if (!setPageTabEntry(index) || !initTabAssBin()) return {};
    Flag.table_error = 0;
    if (!initTimeMarkBin()) Flag.pagefirst_error = 1;
    printInfoSesBin(report);
    QuickControls c;
    c.pageFirst = true;
    c.start = startAllowed();
    return c;
}

bool applySampleTime(const std::string& typed) {
    bool digits = !typed.empty() && typed.size() <= 5;
    for (char ch : typed)
        digits = digits && std::isdigit(static_cast<unsigned char>(ch));
    unsigned long v = digits ? std::strtoul(typed.c_str(), nullptr, 10) : 0;
    bool valid = v >= 1 && v <= 65535;
    if (valid) Tsample = uint16_t(v);
    Flag.sample_error = valid ? 0 : 1;
    return valid;
}

uint16_t parsePageEntry(const std::string& typed) {
    size_t b = typed.find_first_not_of(" \t");
    size_t e = typed.find_last_not_of(" \t");
    if (b == std::string::npos) return 0;
    std::string t = typed.substr(b, e - b + 1);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.erase(0, 2);
    if (t.empty() || t.size() > 8) return 0;
    unsigned long v = 0;
    for (char ch : t) {
        if (!std::isxdigit(static_cast<unsigned char>(ch))) return 0;
        v = v * 16 +
            unsigned(std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0' : std::toupper(ch) - 'A' + 10);
    }
    return v <= PAGE_MASK ? uint16_t(v) : 0;
}

std::string pageEntryText(uint16_t page) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", unsigned(page));
    return buf;
}

PageView pageText(int32_t page) {
    PageView v;
    FlashImage image;
    uint8_t buf[PAGE_SIZE];
    const uint16_t p = uint16_t(page & PAGE_MASK);
    size_t want = PAGE_SIZE;
    size_t got = image.open(IMAGE_FILE) ? image.read(p, 0, buf, 1) : 0;
    if (got == 1) {
        if (buf[0] == 0xFF) want = 4;
        got += image.read(p, 1, buf + 1, want - 1);
    }
    if (got < want) {
        v.text = "Data missing !";
        return v;
    }
    if (buf[0] == 0xFF) {
        v.text = readU16(buf + 2) > PAGE_SIZE ? "Page not formatted !" : "Assignment Table !";
        return v;
    }
    if (buf[0] == 0x00) {
        v.text = "Page reserved !";
        return v;
    }
    const NodeLookup lookup;
    size_t off = 0;
    while (off < PAGE_SIZE) {
        const uint8_t address = buf[off];
        int k = lookup(address);
        // After the first record a reserved byte, or erased flash that is no node of the
        // session, ends the records of the page.
        if (off > 0 && (address == 0x00 || (k == 0 && address == 0xFF))) break;
        if (k == 0) {
            appendf(v.text, "%s %u %s", "Node", unsigned(address), "not recognized !");
            return v;
        }
        const datitab& node = InfoFE[k];
        if (off + recordLength(node) > PAGE_SIZE) break;
        appendf(v.text, "%10u [%3u] ", unsigned(readU32(buf + off + 1)), unsigned(address));
        for (int i = 0; i < node.chanu; ++i)
            appendf(v.text, "%6d ", int(int16_t(readU16(buf + off + 5 + 2 * i))));
        v.text += "\r\n";
        off += recordLength(node);
    }
    v.dataPage = true;
    return v;
}

PageView openPageViewer(int32_t pageType) {
    Flag.page_type = pageType;
    PageView v = pageText(pageType == PAGE_LAST ? PagLast : PagFirst);
    if (v.dataPage) (pageType == PAGE_LAST ? Flag.pagelast_error : Flag.pagefirst_error) = 0;
    return v;
}

PageView viewerPage(uint16_t page) {
    PageView v = pageText(page);
    const bool last = Flag.page_type == PAGE_LAST;
    if (v.dataPage) (last ? PagLast : PagFirst) = uint16_t(page & PAGE_MASK);
    (last ? Flag.pagelast_error : Flag.pagefirst_error) = v.dataPage ? 0 : 1;
    return v;
}

QuickControls afterPageViewer(vx::ui::WindowHandle report, bool pageLastWasEnabled) {
    if (Flag.pagefirst_error == 0 && Flag.pagelast_error == 0 && !initTimeMarkBin()) Flag.pagefirst_error = 1;
    printInfoSesBin(report);
    QuickControls c;
    c.pageFirst = true;
    c.pageLast = Flag.page_type == PAGE_FIRST ? Flag.pagefirst_error == 0 : pageLastWasEnabled;
    c.start = startAllowed();
    return c;
}

}  // namespace vx::quick

int32_t printPageBin(vx::ui::WindowHandle hwndDlg, int32_t page) {
    vx::quick::PageView v = vx::quick::pageText(page);
    vx::ui::backend().clearText(hwndDlg);
    vx::ui::backend().appendText(hwndDlg, v.text);
    return v.dataPage ? 1 : 0;
}
