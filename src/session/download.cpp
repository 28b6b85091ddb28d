#include "session/download.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/com.h"
#include "link/parsers.h"
#include "platform/atomic_file.h"
#include "session/memory_model.h"
#include "session/page_access.h"
#include "session/paged_transfer.h"
#include "session/resample.h"
#include "session/session_state.h"
#include "session/verbose_dump.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace {

using namespace vx::session;
using vx::platform::AtomicFile;
using vx::ui::Answer;
using vx::ui::Icon;

constexpr int kAttempts = 3;

std::string gFailure;  // why the last download failed; empty after a Stop

void fileWarning(const std::string& name, const char* what) {
    vx::ui::message(nullptr, vx::ui::format("%s %s", name.c_str(), what), "Warning", Icon::Warning);
}

// A failed transfer: the reason kept for the caller, the wait window closed.
int32_t failed(const std::string& why) {
    gFailure = why;
    Close_wait_msg();
    return 0;
}

// An output file that could not be created or written: the warning, then failure.
int32_t fileFailed(const AtomicFile& f, const std::string& shownName) {
    fileWarning(shownName, "can not be written !");
    return failed(f.error());
}

std::string withLinkReason(const std::string& what) {
    std::string reason = vx::link::lastFailureText();
    return reason.empty() ? what : what + " (" + reason + ")";
}

// How many of the most recent pages to read. False when the user cancelled.
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

bool address(uint16_t page) {
    return withAttempts(kAttempts, [page] { return setPageAdd(page) == 1; });
}

// Reads the page at `page` into buf: a failed read is followed by addressing the page
// again (three attempts) and another read, three reads at most.
bool readPage(uint16_t page, uint8_t* buf, bool addressFirst) {
    if (addressFirst && !address(page)) return false;
    for (int reads = 1;; ++reads) {
        if (getPageFlash(buf)) return true;
        std::memset(buf, 0, PAGE_SIZE);
        if (reads >= kAttempts || !address(page)) return false;
    }
}

// The pages, most recent last: every complete record of a known node into the scratch.
Transfer readPages(std::vector<uint8_t>& scratch, uint16_t first) {
    uint16_t current = first;
    return runPagedTransfer({TotalPagNumDload, "pages"}, [&](uint32_t j) {
        uint8_t page[PAGE_SIZE] = {};
        bool addressFirst = false;
        if (current == PagTab) {
            // The table page is read through and thrown away. When that read fails the
            // logger's pointer is somewhere inside it, so the next page is addressed.
            addressFirst = !getPageFlash(page);
            std::memset(page, 0, sizeof page);
            current = pageAdd(current, 1);
        }
        if (!readPage(current, page, addressFirst)) {
            gFailure = withLinkReason(vx::ui::format("page 0x%04X could not be read", unsigned(current)));
            return false;
        }
        current = pageAdd(current, 1);
        // The complete records lie one after the other from the start of the page.
        size_t walked = walkRecords(page, PAGE_SIZE, [](const uint8_t*, int) {});
        scratch.insert(scratch.end(), page, page + walked);
        if (j == 0 && walked > 0) FirstTimeMarkerDload = readU32(page + 1);
        return true;
    });
}

// The records still waiting in the logger's temporary buffer. False when the buffer could
// not be read: records missing at the end must not pass for a complete download.
bool readTemporaryBuffer(std::vector<uint8_t>& scratch) {
    uint8_t buf[PAGE_SIZE];
    int32_t count = -1;
    withAttempts(kAttempts, [&] { return (count = read_tmp_buffer(hCom, buf)) >= 0; });
    if (count < 0) {
        gFailure = withLinkReason("the temporary buffer could not be read");
        return false;
    }
    size_t off = 0;
    while (off < size_t(count)) {
        int k = findNode(buf[off]);
        if (k == 0) {
            vx::ui::message(nullptr, "Found an invalid node in the temporary buffer data !", "Warning",
                            Icon::Warning);
            break;
        }
        size_t rl = recordLength(InfoFE[k]);
        if (off + rl > size_t(count)) break;  // a record cut off by the end of the buffer is dropped
        scratch.insert(scratch.end(), buf + off, buf + off + rl);
        LastTimeMarker = readU32(buf + off + 1);
        if (off == 0 && TotalPagNumDload == 0) FirstTimeMarkerDload = LastTimeMarker;
        off += rl;
    }
    return true;
}

// The table index over the whole memory and the record listing.
Transfer writeDump(const std::vector<uint8_t>& scratch, AtomicFile& dump, uint16_t firstPage) {
    dumpFirstHeading(dump.stream());
    Transfer t = runPagedTransfer({NUM_PAGES, "pages"}, [&](uint32_t i) {
        std::snprintf(PageTmp, sizeof PageTmp, "%04X", unsigned(i));
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, "ATRD%s\r", PageTmp);
        if (!vx::link::requestOk(cmd) || !vx::link::readChunk()) {
            gFailure = withLinkReason(vx::ui::format("page 0x%04X could not be read", unsigned(i)));
            return false;
        }
        dumpTableIndexLine(dump.stream(), uint16_t(i), Rx_buf);
        return dump.ok();
    });
    if (t != Transfer::Done) return t;
    dumpSessionInfo(dump.stream(), firstPage);
    ScratchReader reader(scratch.data(), scratch.size());
    dumpRecords(dump.stream(), reader);
    return Transfer::Done;
}

// Pages 0 to 4095 into the image.
Transfer writeImage(AtomicFile& image) {
    if (!setPageAdd(0)) {
        gFailure = withLinkReason("page 0x0000 could not be addressed");
        return Transfer::Failed;
    }
    return runPagedTransfer({NUM_PAGES, "pages"}, [&](uint32_t i) {
        uint8_t page[PAGE_SIZE];
        if (!getPageFlash(page)) {
            gFailure = withLinkReason(vx::ui::format("page 0x%04X could not be read", unsigned(i)));
            return false;
        }
        // A full disk stops the transfer at once rather than after 4096 pages.
        if (!image.write(page, PAGE_SIZE)) {
            gFailure = image.error();
            return false;
        }
        return true;
    });
}

// The dump and the image, each committed when complete. 1 on success.
int32_t verboseOutputs(const std::vector<uint8_t>& scratch, uint16_t firstPage) {
    AtomicFile dump;
    if (!dump.open(DUMP_FILE)) return fileFailed(dump, DUMP_FILE);
    dump.setBuffer(1 << 16);
    Transfer t = writeDump(scratch, dump, firstPage);
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed) return dump.ok() ? failed(gFailure) : fileFailed(dump, DUMP_FILE);
    if (!dump.commit()) return fileFailed(dump, DUMP_FILE);

    Print_wait_msg(vx::ui::format("Reading QM4X and Writing %s (immagine flash)", IMAGE_FILE).c_str());
    AtomicFile image;
    if (!image.open(IMAGE_FILE)) return fileFailed(image, IMAGE_FILE);
    t = writeImage(image);
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed) return image.ok() ? failed(gFailure) : fileFailed(image, IMAGE_FILE);
    if (!image.commit()) return fileFailed(image, IMAGE_FILE);
    return 1;
}

}  // namespace

const std::string& vx::session::downloadFailure() {
    return gFailure;
}

int32_t read_tmp_buffer(vx::link::SerialPort* port, uint8_t* buf) {
    clearRxBuf(port);
    if (!sendCOMMAND(port, "ATRB\r", 13)) return -1;
    // The count is four hex digits; anything else ("ERR") is no count.
    if (iRx < 4) {
        vx::link::markReply(vx::link::replyIsErr() ? vx::link::TxError::ErrReply
                                                   : vx::link::TxError::BadReply);
        return -1;
    }
    int32_t count = str16_to_num(Rx_buf, 4);
    if (count > PAGE_SIZE) count = PAGE_SIZE;
    if (count <= 0) return 0;
    for (int32_t copied = 0; copied < count; copied += CHUNK_SIZE) {
        if (sendCOMMAND(port, "ATRD\r", 'L') != 1) return -1;
        int32_t n = count - copied < CHUNK_SIZE ? count - copied : CHUNK_SIZE;
        std::memcpy(buf + copied, Rx_buf, size_t(n));
    }
    return count;
}

int32_t saveFile(vx::ui::WindowHandle hwndDlg, const char* namefile) {
    vx::link::LinkBusy busy;
    gFailure.clear();
    vx::link::clearFailure();
    if (!confirmPageCount(hwndDlg)) return 0;
    uint16_t first = pageAdd(PagFirst, int32_t(TotalPagNum) - int32_t(TotalPagNumDload));
    if (first == PagTab) first = pageAdd(first, 1);
    FirstTimeMarkerDload = 0;

    Show_wait_msg(hwndDlg, "Reading data from internal memory...");
    clearRxBuf(hCom);
    // The scratch records stay in memory: a whole memory is at most about 2 MB, and no
    // file of this run can be left behind or shared with another run.
    std::vector<uint8_t> scratch;
    scratch.reserve(size_t(TotalPagNumDload + 1) * PAGE_SIZE);
    if (TotalPagNumDload > 0 && !address(first))
        return failed(withLinkReason(vx::ui::format("page 0x%04X could not be addressed", unsigned(first))));
    Transfer t = readPages(scratch, first);
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed) return failed(gFailure);
    if (!readTemporaryBuffer(scratch)) return failed(gFailure);

    // The data record file goes straight to its name, complete or not at all.
    const std::string name = namefile ? namefile : "";
    AtomicFile table;
    if (!table.open(name)) return fileFailed(table, name);
    table.setBuffer(1 << 16);
    InfoSES.nSubItem = uint32_t(TotalLogicCh);
    InfoSES.nItem = 0;
    InfoSES.nSubItem_ = InfoSES.nSubItem;
    printHeader(table.stream());
    ScratchReader reader(scratch.data(), scratch.size());
    t = resampleRows(reader, table, FirstTimeMarkerDload);
    InfoSES.nItem_ = InfoSES.nItem;
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed) return fileFailed(table, name);

    if (Flag.verbose == 1) {
        Print_wait_msg(vx::ui::format("Reading QM4X and Writing %s", DUMP_FILE).c_str());
        if (!verboseOutputs(scratch, first)) return 0;
    }
    if (!table.commit()) return fileFailed(table, name);
    Close_wait_msg();
    return 1;
}
