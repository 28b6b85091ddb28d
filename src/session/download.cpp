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
#include "session/raw_archive.h"
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

// Reads the page at `page` (the logger's pointer is on it) into buf: a failed read is
// followed by addressing the page again (three attempts) and another read, three reads at
// most.
bool readPage(uint16_t page, uint8_t* buf) {
    for (int reads = 1;; ++reads) {
        if (getPageFlash(buf)) return true;
        std::memset(buf, 0, PAGE_SIZE);
        if (reads >= kAttempts || !address(page)) return false;
    }
}

// Where the download's pages come from: the logger, pages already kept in a raw archive,
// or both; the pages read from the logger are also added to the archive being written.
struct PageSource {
    bool device = true;                 // false: the archive alone (a conversion)
    const RawArchive* known = nullptr;  // pages that need not be read again
    uint16_t rereadFrom = 0;            // with `known` and a logger: archived pages from this
    uint16_t rereadTo = 0;              // one to this one (write order) are read again
    RawArchive* capture = nullptr;      // pages read from the logger go here
    bool outdated = false;              // the archive's last page was overwritten since
};

// The archived bytes of a page when they can be taken, else null (read it).
const uint8_t* archived(const PageSource& src, uint16_t page) {
    if (!src.known) return nullptr;
    if (src.device && ((page - src.rereadFrom) & PAGE_MASK) <= ((src.rereadTo - src.rereadFrom) & PAGE_MASK))
        return nullptr;  // written since the archive was made, or possibly still being written then
    return src.known->latest(page);
}

// Whether the page read now still begins with the records the archive kept of it: if not,
// the logger's memory went round since and no archived page can be trusted.
bool extendsArchived(const PageSource& src, uint16_t page, const uint8_t* now) {
    const uint8_t* before = src.known ? src.known->latest(page) : nullptr;
    if (!before) return true;
    size_t walked = walkRecords(before, PAGE_SIZE, [](const uint8_t*, int) {});
    return std::memcmp(before, now, walked) == 0;
}

// The pages, most recent last: every complete record of a known node into the scratch.
Transfer readPages(std::vector<uint8_t>& scratch, uint16_t first, PageSource& src) {
    uint16_t current = first;
    int32_t pointer = -1;  // the page the logger's read pointer is at; -1: not known
    return runPagedTransfer({TotalPagNumDload, "pages"}, [&](uint32_t j) {
        uint8_t page[PAGE_SIZE] = {};
        if (current == PagTab) {
            // The table page is read through and thrown away when the logger's pointer is on
            // it. When that read fails the pointer is somewhere inside it, so the next page is
            // addressed.
            if (pointer == int32_t(current)) pointer = getPageFlash(page) ? pageAdd(current, 1) : -1;
            std::memset(page, 0, sizeof page);
            current = pageAdd(current, 1);
        }
        const uint8_t* bytes = archived(src, current);
        if (!bytes) {
            if (!src.device) {
                gFailure = vx::ui::format("page 0x%04X is not in the raw archive", unsigned(current));
                return false;
            }
            if (pointer != int32_t(current) && !address(current)) {
                gFailure =
                    withLinkReason(vx::ui::format("page 0x%04X could not be addressed", unsigned(current)));
                return false;
            }
            if (!readPage(current, page)) {
                gFailure = withLinkReason(vx::ui::format("page 0x%04X could not be read", unsigned(current)));
                return false;
            }
            pointer = pageAdd(current, 1);
            if (src.known && current == src.rereadFrom && !extendsArchived(src, current, page)) {
                src.outdated = true;
                return false;
            }
            if (src.capture) src.capture->addPage(current, page);
            bytes = page;
        }
        current = pageAdd(current, 1);
        // The complete records lie one after the other from the start of the page.
        size_t walked = walkRecords(bytes, PAGE_SIZE, [](const uint8_t*, int) {});
        scratch.insert(scratch.end(), bytes, bytes + walked);
        if (j == 0 && walked > 0) FirstTimeMarkerDload = readU32(bytes + 1);
        return true;
    });
}

// The logger's temporary buffer into buf: the byte count, or -1 when it could not be read.
int32_t readTemporaryBuffer(uint8_t* buf) {
    int32_t count = -1;
    withAttempts(kAttempts, [&] { return (count = read_tmp_buffer(hCom, buf)) >= 0; });
    if (count < 0) gFailure = withLinkReason("the temporary buffer could not be read");
    return count;
}

// The records of the temporary buffer after the pages' ones.
void takeTemporaryBuffer(const uint8_t* buf, size_t count, std::vector<uint8_t>& scratch) {
    size_t off = 0;
    while (off < count) {
        int k = findNode(buf[off]);
        if (k == 0) {
            vx::ui::message(nullptr, "Found an invalid node in the temporary buffer data !", "Warning",
                            Icon::Warning);
            break;
        }
        size_t rl = recordLength(InfoFE[k]);
        if (off + rl > count) break;  // a record cut off by the end of the buffer is dropped
        scratch.insert(scratch.end(), buf + off, buf + off + rl);
        LastTimeMarker = readU32(buf + off + 1);
        if (off == 0 && TotalPagNumDload == 0) FirstTimeMarkerDload = LastTimeMarker;
        off += rl;
    }
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
    return vx::session::downloadSession(hwndDlg, namefile, {});
}

namespace {

// What one run of the download takes and keeps besides the logger's pages.
struct Run {
    PageSource source;
    RawArchive* archive = nullptr;  // kept in `keepIn` when the data record file is written
    std::string keepIn;
};

// The download proper, shared by the download from the logger, the incremental download
// and the conversion of a raw archive: the pages, the temporary buffer, the data record
// file, and the verbose outputs and the archive when asked for.
int32_t download(vx::ui::WindowHandle hwndDlg, const char* namefile, Run& run) {
    PageSource& src = run.source;
    uint16_t first = pageAdd(PagFirst, int32_t(TotalPagNum) - int32_t(TotalPagNumDload));
    if (first == PagTab) first = pageAdd(first, 1);
    FirstTimeMarkerDload = 0;

    Show_wait_msg(hwndDlg,
                  src.device ? "Reading data from internal memory..." : "Decoding the raw archive...");
    if (src.device) clearRxBuf(hCom);
    // The scratch records stay in memory: a whole memory is at most about 2 MB, and no
    // file of this run can be left behind or shared with another run.
    std::vector<uint8_t> scratch;
    scratch.reserve(size_t(TotalPagNumDload + 1) * PAGE_SIZE);
    const size_t keptPages = run.archive ? run.archive->pageCount() : 0;
    Transfer t = readPages(scratch, first, src);
    if (t == Transfer::Failed && src.outdated) {
        // The memory went round since the archive was made: every page is read again.
        src.known = nullptr;
        if (run.archive) run.archive->pages.resize(keptPages * RawArchive::kPageEntry);
        scratch.clear();
        FirstTimeMarkerDload = 0;
        t = readPages(scratch, first, src);
    }
    if (t == Transfer::Stopped) return 0;
    if (t == Transfer::Failed) return failed(gFailure);

    uint8_t buf[PAGE_SIZE];
    int32_t count = 0;
    if (src.device) {
        // A buffer that cannot be read fails the download: records missing at the end must
        // not pass for a complete download.
        if ((count = readTemporaryBuffer(buf)) < 0) return failed(gFailure);
        if (run.archive) run.archive->tmpBuffer.assign(buf, buf + count);
    } else {
        count = int32_t(src.known->tmpBuffer.size());
        std::memcpy(buf, src.known->tmpBuffer.data(), size_t(count));
    }
    takeTemporaryBuffer(buf, size_t(count), scratch);

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

    if (Flag.verbose == 1 && src.device) {
        Print_wait_msg(vx::ui::format("Reading QM4X and Writing %s", DUMP_FILE).c_str());
        if (!verboseOutputs(scratch, first)) return 0;
    }
    if (!run.keepIn.empty()) {
        if (std::string error = writeArchive(run.keepIn, *run.archive); !error.empty()) {
            fileWarning(run.keepIn, "can not be written !");
            return failed(error);
        }
    }
    if (!table.commit()) return fileFailed(table, name);
    Close_wait_msg();
    return 1;
}

}  // namespace

int32_t vx::session::downloadSession(vx::ui::WindowHandle hwndDlg, const char* namefile,
                                     const RawOptions& raw) {
    vx::link::LinkBusy busy;
    gFailure.clear();
    vx::link::clearFailure();
    Run run;
    RawArchive archive;
    if (!raw.since.empty()) {
        if (std::string error = loadArchive(raw.since, archive); !error.empty()) return failed(error);
        if (archive.tablePage != PagTab || archive.sessionStart != DataTimeSS)
            return failed(vx::ui::format(
                "%s holds another session (table page 0x%04X, started %s); the logger's session has table "
                "page 0x%04X and started %s",
                raw.since.c_str(), unsigned(archive.tablePage), archive.sessionStart.c_str(),
                unsigned(PagTab), DataTimeSS));
        run.source.known = &archive;
        // The archive's last page may have been written further after it was read.
        run.source.rereadFrom = archive.lastPage;
        run.source.rereadTo = PagLast;
        run.keepIn = raw.since;
    } else {
        run.keepIn = raw.keepIn;
    }
    if (!confirmPageCount(hwndDlg)) return 0;
    if (!run.keepIn.empty()) {
        archive.captureSession();
        run.archive = &archive;
        run.source.capture = &archive;
    }
    return download(hwndDlg, namefile, run);
}

int32_t vx::session::convertArchive(vx::ui::WindowHandle hwndDlg, const char* namefile, const RawArchive& a) {
    gFailure.clear();
    a.applySession();
    if (decodeTabAss() != TableStatus::Ok)
        return failed("the assignment table of the raw archive is not valid");
    Run run;
    run.source.device = false;
    run.source.known = &a;
    return download(hwndDlg, namefile, run);
}
