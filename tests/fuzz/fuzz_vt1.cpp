// The board parameter file (*.vt1), then what the program makes of a loaded image: the
// description and the check of its values.

#include "boards/board_image.h"
#include "boards/board_settings.h"
#include "boards/board_text.h"
#include "boards/vt1_file.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    if (vx::boards::readParameterFile(vx::fuzz::inputFile("board.vt1", data, size)) == VT1_LOADED) {
        (void)vx::boards::boardTextDescription(EE);
        (void)vx::boards::checkBoardImage(EE);
    }
    return 0;
}
