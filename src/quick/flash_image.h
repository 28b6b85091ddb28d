#pragma once
// Quick mode works offline on the two files a verbose download leaves behind: the flash
// image "QM41data.bin" (pages 0 to 4095, 528 bytes each) and the dump "QM41data.txt",
// whose first section indexes every assignment table of the memory. This header holds
// the image access and the session index (Table, IndTab) read from the dump.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "session/session_state.h"
#include "ui/backend.h"

namespace vx::quick {

constexpr size_t kImageSize = size_t(NUM_PAGES) * PAGE_SIZE;  // 2,162,688 bytes

// One session of the index: its start (YYMMDD_hhmmss) and its table page (four hex digits).
struct TableEntry {
    char datainizio[14];
    char pagetab[5];
};
// The sessions indexed by the dump, in file order, and their count. The index keeps the
// names Table and IndTab inside this namespace: the post-processing has a Table class of
// its own. A dump has one index line per table page, so the memory's 4096 pages bound it.
constexpr int MAX_SESSIONS = NUM_PAGES;
extern TableEntry Table[MAX_SESSIONS];
extern int32_t IndTab;

// The image file, opened for reading; pages are read at p × 528.
class FlashImage {
  public:
    FlashImage() = default;
    ~FlashImage();
    FlashImage(const FlashImage&) = delete;
    FlashImage& operator=(const FlashImage&) = delete;

    bool open(const std::string& path);
    bool isOpen() const { return f_ != nullptr; }
    // Reads n bytes of page `page` (modulo 4096) from byte `offset` of the page; the
    // number of bytes actually read (short at the end of a cut-off file).
    size_t read(uint16_t page, size_t offset, uint8_t* buf, size_t n);
    // The file's size in bytes, -1 when unknown.
    long long size();

  private:
    std::FILE* f_ = nullptr;
};

// Scans a dump from its start for its index lines "Page...0x%s %s %u", filling Table and
// IndTab in file order (at most MAX_SESSIONS entries), and stops at the first "F": when
// that is the "FW release" line, Flag.VT71 is set for a firmware release beginning "5".
void parseSessionIndex(const std::string& dump);

// Flag.VT71 = 0, the dump chosen with the open-file dialog, the image checked (present,
// 2,162,688 bytes) and the dump's index read. 1 with IndTab > 0; 0 after its message.
int32_t loadTable(vx::ui::WindowHandle hwndDlg);

}  // namespace vx::quick

// The Table entry whose start equals szData (the first such entry) sets PageTab and
// PagTab; 1 if found and its page is a page number of the image.
int32_t setPageTab(const char* szData);
// The same for Table entry `index`.
int32_t setPageTabEntry(int32_t index);
