// The board's answers about its parameter image: the whole-image and one-byte replies as
// decoded, then the image read as the board window reads it (image, values, operating
// state) and single values read from it. Input: the replies.

#include "boards/board_io.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    uint8_t image[41], byte;
    const int n = size < 4096 ? int(size) : 4096;
    vx::boards::decodeImageReply(data, n, image);
    vx::boards::decodeByteReply(data, n, &byte);
    vx::fuzz::DeviceOnPort device(data, size);
    loadParcfg();
    uint32_t value;
    read_EE_par(4, 37, &value);
    read_EE_par(2, 1, &value);
    return 0;
}
