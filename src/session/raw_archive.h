#pragma once
// The raw archive of a download: what the logger answered, kept in a folder so that the
// session can be decoded again later with any sample time, without the logger, and
// brought up to date by reading only the pages written since.
//
// Files of the folder (every one written through the atomic writer):
//   table.bin      the assignment table as read (528 bytes, TabAss)
//   pages.bin      the data pages in read order, each its page number (2 bytes, little
//                  endian) and its 528 bytes; an incremental download appends its pages,
//                  and a later entry of a page number replaces an earlier one
//   tmpbuf.bin     the temporary buffer as read (0 to 528 bytes)
//   registers.txt  the registers and page counts the download used
//   clocks.txt     the PC clock, the logger clock and the session start
//   manifest.txt   each file above with its size and SHA-256, written last: a folder
//                  without it, or whose files do not match it, is incomplete and refused

#include <cstdint>
#include <string>
#include <vector>

#include "session/session_state.h"

namespace vx::session {

constexpr const char* ARCHIVE_MANIFEST = "manifest.txt";

struct RawArchive {
    // Registers and page counts, as the session reading left them before the download.
    uint8_t status = 0, errors = 0;
    uint16_t tablePage = 0, firstPage = 0, lastPage = 0;
    uint16_t totalPages = 0, pagesRead = 0;
    uint32_t firstMarker = 0, lastMarker = 0;
    uint16_t sampleTime = 0;  // of the download that wrote the archive (for the reader)
    std::string pcClock, loggerClock, sessionStart;

    std::vector<uint8_t> table;      // PAGE_SIZE bytes
    std::vector<uint8_t> tmpBuffer;  // as read
    std::vector<uint8_t> pages;      // entries of kPageEntry bytes

    static constexpr size_t kPageEntry = 2 + PAGE_SIZE;

    size_t pageCount() const { return pages.size() / kPageEntry; }
    uint16_t pageNumber(size_t i) const;
    const uint8_t* pageBytes(size_t i) const { return pages.data() + i * kPageEntry + 2; }
    void addPage(uint16_t number, const uint8_t* bytes);
    // The newest entry of a page, or null when the archive does not hold it.
    const uint8_t* latest(uint16_t page) const;

    // The session globals (registers, table, clocks) into the archive, and back.
    void captureSession();
    void applySession() const;
};

// Writes every piece into `dir` (created when missing), the manifest last. "" on success,
// else the name of the file that could not be written and why.
std::string writeArchive(const std::string& dir, const RawArchive& a);

// Reads and checks an archive: "" when it is complete, else why it is refused.
std::string loadArchive(const std::string& dir, RawArchive& a);

}  // namespace vx::session
