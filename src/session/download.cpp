#include "session/download.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "link/com.h"
#include "link/parsers.h"
#include "session/memory_model.h"
#include "session/page_access.h"
#include "session/resample.h"
#include "session/session_state.h"
#include "session/verbose_dump.h"
#include "shell/flags.h"
#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace {

using vx::ui::Answer;
using vx::ui::Icon;

void fileWarning(const char* name, const char* what) {
    vx::ui::message(nullptr, vx::ui::format("%s %s", name, what), "Warning", Icon::Warning);
}

// Files that must not outlive a failed download.
struct OpenFile {
    FILE* f = nullptr;
    std::string name;
    bool open(const std::string& n, const char* mode) {
        name = n;
        f = std::fopen(n.c_str(), mode);
        return f != nullptr;
    }
    void close() {
        if (f) std::fclose(f);
        f = nullptr;
    }
    void discard() {
        close();
        if (!name.empty()) std::remove(name.c_str());
    }
};

// Step 1: how many of the most recent pages to read. False when the user cancelled.
bool confirmPageCount(vx::ui::WindowHandle owner) {
    if (TotalPagNumDload >= TotalPagNum) return true;
    for (;;) {
        std::string text =
            TotalPagNumDload == 0
                ? std::string(
                      "Only the data in the temporary buffer will be taken\r\n\r\nProceed to download ?")
                : vx::ui::format("%s %u (%u tot)\r\n\r\n%s",
                                 "Number of data pages read:", unsigned(TotalPagNumDload),
                                 unsigned(TotalPagNum), "Proceed to download ?");
        Answer a = vx::ui::message(owner, text, "Question", Icon::Information, vx::ui::Buttons::YesNoCancel);
        if (a == Answer::Yes) return true;
        if (a != Answer::No) return false;
        std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", "Number of pages requested");
        InputMin = 0;
        InputMax = float(TotalPagNum);
        Ndec = 0;
        MaxEdit = 4;
        std::snprintf(EditBuf, sizeof EditBuf, "%u", unsigned(TotalPagNumDload));
        if (DlgInputNum2_(owner)) {
            Flag.skip_refresh = 0;
            long n = std::strtol(EditBuf, nullptr, 10);
            TotalPagNumDload = n >= long(TotalPagNum) ? TotalPagNum : uint16_t(n < 0 ? 0 : n);
        }
    }
}

// Reads the page at `current` into page with the retries of the download; false when
// the page could not be read.
bool readPageWithRetries(uint16_t current, uint8_t* page) {
    int reads = 0;
    while (!getPageFlash(page)) {
        if (++reads >= 3) return false;
        std::memset(page, 0, PAGE_SIZE);
        int addressing = 0;
        while (!setPageAdd(current))
            if (++addressing >= 3) return false;
    }
    return true;
}

enum class Outcome { Done, Stopped, Failed };

// Step 5: the pages, most recent last, into the scratch file.
Outcome readPages(FILE* scratch, uint16_t first) {
    uint8_t page[PAGE_SIZE];
    uint16_t current = first;
    for (uint32_t j = 0; j < TotalPagNumDload; ++j) {
        if (!Test_wait_msg()) return Outcome::Stopped;
        std::memset(page, 0, sizeof page);
        if (current == PagTab) {  // the table page is read and thrown away
            getPageFlash(page);
            std::memset(page, 0, sizeof page);
            current = pageAdd(current, 1);
        }
        if (!readPageWithRetries(current, page)) return Outcome::Failed;
        current = pageAdd(current, 1);
        Setbar_wait_msg(j, TotalPagNumDload);
        // The complete records lie one after the other from the start of the page.
        size_t walked = walkRecords(page, PAGE_SIZE, [](const uint8_t*, int) {});
        std::fwrite(page, 1, walked, scratch);
        if (j == 0 && walked > 0) FirstTimeMarkerDload = readU32(page + 1);
    }
    return Outcome::Done;
}

// Step 6: the records still waiting in the logger's temporary buffer.
void readTemporaryBuffer(FILE* scratch) {
    uint8_t buf[PAGE_SIZE];
    int32_t count = read_tmp_buffer(hCom, buf);
    size_t off = 0;
    while (off < size_t(count > 0 ? count : 0)) {
        int k = findNode(buf[off]);
        if (k == 0) {
            vx::ui::message(nullptr, "Found an invalid node in the temporary buffer data !", "Warning",
                            Icon::Warning);
            return;
        }
        size_t rl = recordLength(InfoFE[k]);
        if (off + rl > size_t(count)) return;  // a record cut off by the end of the buffer is dropped
        std::fwrite(buf + off, 1, rl, scratch);
        LastTimeMarker = readU32(buf + off + 1);
        if (off == 0 && TotalPagNumDload == 0) FirstTimeMarkerDload = LastTimeMarker;
        off += rl;
    }
}

// Step 9: one row per sample-time interval up to the last record.
// Step 9: one row per sample-time interval up to the last record. Long gaps between time
// markers can mean very many rows, so the wait window stays live: false on Stop.
bool resample(ScratchReader& reader, FILE* out) {
    const uint32_t tcf = 10u * Tsample;
    const uint64_t first = FirstTimeMarkerDload, span = LastTimeMarker > first ? LastTimeMarker - first : 1;
    uint32_t sincePoll = 0;
    for (uint64_t t = first; t < LastTimeMarker; t += tcf) {
        int32_t r = interpData(tcf, uint32_t(t), reader);
        if (r == 0) break;  // the scratch file is used up: no later interval gives a row
        printData(out);
        if (++sincePoll == 4096) {
            sincePoll = 0;
            Setbar_wait_msg(uint32_t((t - first) * 1000 / span), 1000);
            if (!Test_wait_msg()) return false;
        }
    }
    return true;
}

// Step 11, first half: the table index over the whole memory and the record listing.
Outcome writeDump(OpenFile& scratch, OpenFile& dump, uint16_t firstPage) {
    dumpFirstHeading(dump.f);
    for (uint32_t i = 0; i < NUM_PAGES; ++i) {
        if (!Test_wait_msg()) return Outcome::Stopped;
        std::snprintf(PageTmp, sizeof PageTmp, "%04X", unsigned(i));
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, "ATRD%s\r", PageTmp);
        if (!(sendCOMMAND(hCom, cmd, 13) && RICEVUTO_OK()) || sendCOMMAND(hCom, "ATRD\r", 'L') != 1)
            return Outcome::Failed;
        dumpTableIndexLine(dump.f, uint16_t(i), Rx_buf);
        Setbar_wait_msg(i, NUM_PAGES - 1);
    }
    dumpSessionInfo(dump.f, firstPage);
    ScratchReader reader(scratch.f);
    dumpRecords(dump.f, reader);
    return Outcome::Done;
}

// Step 11, second half: pages 0 to 4095 into the image.
Outcome writeImage(FILE* image) {
    if (!setPageAdd(0)) return Outcome::Failed;
    uint8_t page[PAGE_SIZE];
    for (uint32_t i = 0; i < NUM_PAGES; ++i) {
        if (!Test_wait_msg()) return Outcome::Stopped;
        if (!getPageFlash(page)) return Outcome::Failed;
        std::fwrite(page, 1, PAGE_SIZE, image);
        Setbar_wait_msg(i, NUM_PAGES);
    }
    return Outcome::Done;
}

int32_t fail(Outcome why) {
    // A failed transaction closes the wait window; after a Stop it is closed already.
    if (why == Outcome::Failed) Close_wait_msg();
    return 0;
}

int32_t verboseOutputs(OpenFile& scratch, uint16_t firstPage) {
    OpenFile dump;
    if (!scratch.open(SCRATCH_FILE, "rb")) {
        fileWarning(SCRATCH_FILE, "can not be read !");
        Close_wait_msg();
        return 0;
    }
    if (!dump.open(DUMP_FILE, "wb")) {
        fileWarning(DUMP_FILE, "can not be written !");
        scratch.discard();
        Close_wait_msg();
        return 0;
    }
    Outcome o = writeDump(scratch, dump, firstPage);
    if (o != Outcome::Done) {
        scratch.discard();
        dump.discard();
        return fail(o);
    }
    dump.close();
    scratch.discard();

    Print_wait_msg(vx::ui::format("Reading QM4X and Writing %s (immagine flash)", IMAGE_FILE).c_str());
    OpenFile image;
    if (!image.open(IMAGE_FILE, "wb")) {
        fileWarning(IMAGE_FILE, "can not be written !");
        Close_wait_msg();
        return 0;
    }
    o = writeImage(image.f);
    if (o != Outcome::Done) {
        image.discard();
        return fail(o);
    }
    image.close();
    return 1;
}

}  // namespace

int32_t read_tmp_buffer(vx::link::SerialPort* port, uint8_t* buf) {
    clearRxBuf(port);
    if (!sendCOMMAND(port, "ATRB\r", 13)) return 0;
    char digits[4];
    for (int i = 0; i < 4; ++i)
        digits[i] = i < iRx ? char(Rx_buf[i]) : '0';
    int32_t count = str16_to_num(digits, 4);
    if (count > PAGE_SIZE) count = PAGE_SIZE;
    if (count <= 0) return 0;
    int32_t copied = 0;
    while (copied < count) {
        if (sendCOMMAND(port, "ATRD\r", 'L') != 1) return copied;
        int32_t n = count - copied < CHUNK_SIZE ? count - copied : CHUNK_SIZE;
        std::memcpy(buf + copied, Rx_buf, size_t(n));
        copied += n;
    }
    return copied;
}

int32_t saveFile(vx::ui::WindowHandle hwndDlg, const char* namefile) {
    if (!confirmPageCount(hwndDlg)) return 0;
    uint16_t first = pageAdd(PagFirst, int32_t(TotalPagNum) - int32_t(TotalPagNumDload));
    if (first == PagTab) first = pageAdd(first, 1);
    FirstTimeMarkerDload = 0;

    Show_wait_msg(hwndDlg, "Reading data from internal memory...");
    clearRxBuf(hCom);
    OpenFile scratch;
    if (!scratch.open(SCRATCH_FILE, "wb")) {
        fileWarning(SCRATCH_FILE, "can not be written !");
        Close_wait_msg();
        return 0;
    }
    std::setvbuf(scratch.f, nullptr, _IOFBF, 1 << 16);
    if (!setPageAdd(first)) {
        Close_wait_msg();
        scratch.discard();
        return 0;
    }
    Outcome o = readPages(scratch.f, first);
    if (o != Outcome::Done) {
        scratch.discard();
        return fail(o);
    }
    readTemporaryBuffer(scratch.f);
    if (std::fflush(scratch.f) != 0 || std::ferror(scratch.f)) {  // a full disk, say
        fileWarning(SCRATCH_FILE, "can not be written !");
        scratch.discard();
        Close_wait_msg();
        return 0;
    }
    scratch.close();

    // The data record file is written under a temporary name and takes its own name
    // only when everything has succeeded.
    std::string finalName = namefile ? namefile : "";
    std::string partName = finalName + ".part";
    if (!scratch.open(SCRATCH_FILE, "rb")) {
        fileWarning(SCRATCH_FILE, "can not be read !");
        std::remove(SCRATCH_FILE);
        Close_wait_msg();
        return 0;
    }
    OpenFile table;
    if (finalName.empty() || !table.open(partName, "wb")) {
        fileWarning(finalName.c_str(), "can not be written !");
        scratch.discard();
        Close_wait_msg();
        return 0;
    }
    std::setvbuf(table.f, nullptr, _IOFBF, 1 << 16);
    InfoSES.nSubItem = uint32_t(TotalLogicCh);
    InfoSES.nItem = 0;
    InfoSES.nSubItem_ = InfoSES.nSubItem;
    printHeader(table.f);
    bool resampled;
    {
        ScratchReader reader(scratch.f);
        resampled = resample(reader, table.f);
    }
    InfoSES.nItem_ = InfoSES.nItem;
    scratch.close();
    if (!resampled) {  // stopped
        table.discard();
        std::remove(SCRATCH_FILE);
        return 0;
    }
    bool written = std::fflush(table.f) == 0 && !std::ferror(table.f);
    table.close();
    if (!written) {
        fileWarning(finalName.c_str(), "can not be written !");
        std::remove(partName.c_str());
        std::remove(SCRATCH_FILE);
        Close_wait_msg();
        return 0;
    }
    Print_wait_msg(vx::ui::format("Reading QM4X and Writing %s", DUMP_FILE).c_str());

    if (Flag.verbose == 1 && !verboseOutputs(scratch, first)) {
        std::remove(partName.c_str());
        std::remove(SCRATCH_FILE);
        return 0;
    }
    Close_wait_msg();
    std::remove(SCRATCH_FILE);
    if (std::rename(partName.c_str(), finalName.c_str()) != 0) {
        std::remove(partName.c_str());
        fileWarning(finalName.c_str(), "can not be written !");
        return 0;
    }
    return 1;
}
