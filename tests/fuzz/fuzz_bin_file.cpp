// A flash image to upload (*.bin): its size check and every piece read from it.

#include "fuzz_env.h"
#include "loader/bin_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    vx::loader::BinFile file;
    if (vx::loader::openBinFile(nullptr, vx::fuzz::inputFile("image.bin", data, size), file) == 1) {
        uint8_t piece[BIN_PIECE_SIZE];
        while (file.readPiece(piece)) {
        }
    }
    return 0;
}
