#pragma once
// Flash images ("*.bin"): whole 528-byte data pages, page 0 first, at least one page and
// at most the 4096 pages of the flash. Each page goes to the logger as 11 pieces of 48
// bytes.

#include <cstdint>
#include <cstdio>
#include <string>

#include "ui/backend.h"

constexpr uint32_t BIN_PAGE_SIZE = 528;
constexpr uint32_t BIN_PIECE_SIZE = 48;
constexpr uint32_t BIN_PIECES_PER_PAGE = BIN_PAGE_SIZE / BIN_PIECE_SIZE;  // 11
constexpr uint32_t BIN_MAX_PAGES = 4096;
constexpr uint64_t BIN_MAX_SIZE = uint64_t(BIN_PAGE_SIZE) * BIN_MAX_PAGES;  // 2162688 bytes

namespace vx::loader {

// An image file open for reading; closed when it goes out of scope.
class BinFile {
  public:
    BinFile() = default;
    ~BinFile() { close(); }
    BinFile(const BinFile&) = delete;
    BinFile& operator=(const BinFile&) = delete;

    bool isOpen() const { return f_ != nullptr; }
    uint32_t pages() const { return pages_; }
    const std::string& path() const { return path_; }
    // The next 48-byte piece. False when the file no longer delivers a whole piece (it
    // was shortened or could not be read since it was checked): nothing partial is data.
    bool readPiece(uint8_t piece[BIN_PIECE_SIZE]);
    void close();

  private:
    friend int openBinFile(vx::ui::WindowHandle, const std::string&, BinFile&);
    std::FILE* f_ = nullptr;
    uint32_t pages_ = 0;
    uint32_t piecesRead_ = 0;
    std::string path_;
};

// Why an image is refused; Ok for a valid one.
enum class BinCheck { Ok, Unreadable, NotWholePages, TooBig };
// The check of an image of `size` bytes.
BinCheck checkBinSize(uint64_t size);

// Opens `path` and checks it; the failure is shown (caption "File Error"). 1 with `file`
// open at its start, 0 otherwise.
int openBinFile(vx::ui::WindowHandle owner, const std::string& path, BinFile& file);

}  // namespace vx::loader

// Asks for the image file and checks it (openBinFile). 1 with the open file (at its
// start) in `file` and its page count in *npag; 0 when cancelled or refused.
int getBinFile(vx::ui::WindowHandle hwndDlg, vx::loader::BinFile& file, uint32_t* npag);
