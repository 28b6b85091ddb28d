#include "loader/bin_file.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace vx::loader {
namespace {

void fileError(vx::ui::WindowHandle owner, const char* text) {
    vx::ui::message(owner, text, "File Error", vx::ui::Icon::Error);
}

}  // namespace

bool BinFile::readPiece(uint8_t piece[BIN_PIECE_SIZE]) {
    if (!f_ || piecesRead_ >= pages_ * BIN_PIECES_PER_PAGE) return false;
    if (std::fread(piece, 1, BIN_PIECE_SIZE, f_) != BIN_PIECE_SIZE) return false;
    ++piecesRead_;
    return true;
}

void BinFile::close() {
    if (f_) std::fclose(f_);
    f_ = nullptr;
    pages_ = 0;
    piecesRead_ = 0;
}

BinCheck checkBinSize(uint64_t size) {
    if (size % BIN_PAGE_SIZE != 0 || size == 0) return BinCheck::NotWholePages;
    if (size > BIN_MAX_SIZE) return BinCheck::TooBig;
    return BinCheck::Ok;
}

int openBinFile(vx::ui::WindowHandle owner, const std::string& path, BinFile& file) {
    file.close();
    // The size as the file system says it (no read ahead: the first piece is read when
    // it is sent); a folder or a device is no image.
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(path, ec);
    const std::uintmax_t size = regular ? std::filesystem::file_size(path, ec) : 0;
    std::FILE* f = regular && !ec ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!f) {
        fileError(owner, "Image file not found !");
        return 0;
    }
    switch (checkBinSize(uint64_t(size))) {
        case BinCheck::Ok:
            break;
        case BinCheck::TooBig:
            std::fclose(f);
            fileError(owner, "File size is too big !");
            return 0;
        default:
            std::fclose(f);
            fileError(owner, "The file does not contain an integer number of data pages !");
            return 0;
    }
    file.f_ = f;
    file.pages_ = uint32_t(uint64_t(size) / BIN_PAGE_SIZE);
    file.piecesRead_ = 0;
    file.path_ = path;
    return 1;
}

}  // namespace vx::loader

int getBinFile(vx::ui::WindowHandle hwndDlg, vx::loader::BinFile& file, uint32_t* npag) {
    vx::ui::FileDialogOptions o;
    o.filters = {{"*.bin (flash image)", "*.bin"}, {"All Files (*.*)", "*.*"}};
    o.defaultExt = "bin";
    o.mustExist = true;
    std::optional<std::string> name = vx::ui::backend().openFileName(hwndDlg, o);
    if (!name) return 0;
    if (vx::loader::openBinFile(hwndDlg, *name, file) != 1) return 0;
    if (npag) *npag = file.pages();
    return 1;
}
