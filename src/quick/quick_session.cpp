#include "quick/quick_session.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "quick/flash_image.h"
#include "session/download.h"
#include "session/memory_model.h"
#include "session/paged_transfer.h"
#include "session/resample.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/text_report.h"
#include "ui/wait_window.h"

using namespace vx::session;
using vx::quick::FlashImage;

namespace {

// A data page begins with a node address; 0x00 (reserved) and 0xFF (table or erased)
// do not.
bool holdsData(uint8_t first) {
    return first != 0x00 && first != 0xFF;
}

}  // namespace

int32_t initTabAssBin() {
    // Whatever happens, no node of an older table stays in use.
    TotalNodeNum = 0;
    TotalLogicCh = 0;
    FlashImage image;
    if (!image.open(IMAGE_FILE)) return 0;
    int length = PAGE_SIZE;
    for (int off = 0; off < length; off += CHUNK_SIZE) {
        if (image.read(PagTab, size_t(off), TabAss + off, CHUNK_SIZE) != CHUNK_SIZE) return 0;
        if (off == 0 && (length = tableLength(TabAss)) < 0) return 0;
    }
    switch (decodeTabAss()) {
        case TableStatus::Ok:
            break;
        case TableStatus::TwoHighWords:
            vx::ui::message(nullptr,
                            "Error: two consecutive physical channels are encoded with Conf&0x1F==0 !",
                            "Setup Error", vx::ui::Icon::Error);
            return 0;
        default:
            return 0;
    }

    PagFirst = pageAdd(PagTab, 1);
    PagLast = PagTab;  // no data page until one is found
    uint8_t head[5];
    if (image.read(PagFirst, 0, head, sizeof head) != sizeof head || !holdsData(head[0])) return 1;
    Flag.pagefirst_error = Flag.pagelast_error = 0;
    PagLast = PagFirst;
    uint32_t marker = readU32(head + 1);
    // At most once round the memory: the table page itself ends the walk in any case.
    for (int step = 1; step < NUM_PAGES; ++step) {
        uint16_t next = pageAdd(PagFirst, step);
        if (image.read(next, 0, head, sizeof head) != sizeof head || !holdsData(head[0])) break;
        uint32_t m = readU32(head + 1);
        if (m < marker) break;
        PagLast = next;
        marker = m;
    }
    return 1;
}

int32_t initTimeMarkBin() {
    if (PagFirst == pageAdd(PagTab, 1))
        TotalPagNum = uint16_t(((PagLast - PagFirst) & PAGE_MASK) + 1);
    else if (PagFirst == pageAdd(PagLast, 1))
        TotalPagNum = PAGE_MASK;  // the memory went round
    else
        return 0;
    if (PagTab == PagLast) TotalPagNum = 0;

    FirstTimeMarker = LastTimeMarker = 0;
    FlashImage image;
    if (image.open(IMAGE_FILE)) {
        uint8_t head[5];
        if (image.read(PagFirst, 0, head, sizeof head) == sizeof head && findNode(head[0]) != 0)
            FirstTimeMarker = readU32(head + 1);
        uint8_t page[PAGE_SIZE] = {};
        size_t got = image.read(PagLast, 0, page, PAGE_SIZE);
        walkRecords(page, got, [](const uint8_t* rec, int) { LastTimeMarker = readU32(rec + 1); });
    }
    sessionLength(FirstTimeMarker, LastTimeMarker, DurataSessione);
    return 1;
}

void printInfoSesBin(vx::ui::WindowHandle hDlgCtrl) {
    std::snprintf(PageFirst, sizeof PageFirst, "%04X", unsigned(PagFirst));
    std::snprintf(PageLast, sizeof PageLast, "%04X", unsigned(PagLast));
    vx::ui::backend().clearText(hDlgCtrl);
    printf_API(hDlgCtrl, "Table page........ 0x%s\r\n", PageTab);
    if (Flag.pagefirst_error)
        printf_API(hDlgCtrl, "First page........ Non definito\r\n");
    else
        printf_API(hDlgCtrl, "First page........ 0x%s\r\n", PageFirst);
    if (Flag.pagelast_error)
        printf_API(hDlgCtrl, "Last page......... Non definito\r\n");
    else
        printf_API(hDlgCtrl, "Last page......... 0x%s\r\n", PageLast);
    if (!Flag.pagefirst_error && !Flag.pagelast_error) {
        printf_API(hDlgCtrl, "Total data pages.. %u\r\n\r\n", unsigned(TotalPagNum));
        printf_API(hDlgCtrl, "Start session............ ");
        printf_API(hDlgCtrl, "%s\r\n", DataTimeSS);
        printf_API(hDlgCtrl, "Length session........... ");
        printf_API(hDlgCtrl, "%s\r\n\r\n", DurataSessione);
    } else {
        printf_API(hDlgCtrl, "Total data pages.. %s\r\n\r\n", "Not defined");
        printf_API(hDlgCtrl, "Start session............ ");
        printf_API(hDlgCtrl, "%s\r\n", DataTimeSS);
        printf_API(hDlgCtrl, "Length session........... ");
        printf_API(hDlgCtrl, "%s\r\n\r\n", "Not defined");
    }
    printNodeList(hDlgCtrl);
}

namespace {

int32_t fileWarning(const std::string& name, const char* what) {
    vx::ui::message(nullptr, vx::ui::format("%s %s", name.c_str(), what), "Warning", vx::ui::Icon::Warning);
    Close_wait_msg();
    return 0;
}

}  // namespace

int32_t saveFileBin(vx::ui::WindowHandle hwndDlg, const char* namefile) {
    Show_wait_msg(hwndDlg, "Writing scratch file");
    FlashImage image;
    if (!image.open(IMAGE_FILE)) return fileWarning(IMAGE_FILE, "can not be read !");

    // The complete records of the session's pages, oldest first, kept in memory as the
    // download keeps them; the table page is read through.
    // The image is read in one piece (2 MB) rather than a seek and a read per page; a page
    // beyond the end of a cut-off file is missing as before.
    std::vector<uint8_t> whole(vx::quick::kImageSize);
    const size_t got = image.read(0, 0, whole.data(), whole.size());
    std::vector<uint8_t> scratch;
    scratch.reserve(size_t(TotalPagNum) * PAGE_SIZE);
    uint16_t current = PagFirst;
    bool cutOff = false;
    Transfer t = runPagedTransfer({TotalPagNum, "pages"}, [&](uint32_t) {
        if (current == PagTab) current = pageAdd(current, 1);
        const size_t at = size_t(current & PAGE_MASK) * PAGE_SIZE;
        if (at + PAGE_SIZE > got) return !(cutOff = true);
        const uint8_t* page = whole.data() + at;
        current = pageAdd(current, 1);
        size_t walked = walkRecords(page, PAGE_SIZE, [](const uint8_t*, int) {});
        scratch.insert(scratch.end(), page, page + walked);
        return true;
    });
    if (t == Transfer::Stopped) return 0;
    if (cutOff) return fileWarning(IMAGE_FILE, "can not be read !");

    // The post-processing dates its rows from the first record converted.
    FirstTimeMarkerDload = FirstTimeMarker;
    const std::string name = namefile ? namefile : "";
    vx::platform::AtomicFile table;
    if (!table.open(name)) return fileWarning(name, "can not be written !");
    table.setBuffer(1 << 16);
    InfoSES.nSubItem = uint32_t(TotalLogicCh);
    InfoSES.nItem = 0;
    InfoSES.nSubItem_ = InfoSES.nSubItem;
    printHeader(table.stream());
    ScratchReader reader(scratch.data(), scratch.size());
    t = resampleRows(reader, table, FirstTimeMarker);
    InfoSES.nItem_ = InfoSES.nItem;
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed || !table.commit()) return fileWarning(name, "can not be written !");
    Close_wait_msg();
    return 1;
}
