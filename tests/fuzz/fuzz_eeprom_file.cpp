// An EEPROM dump file (*.ee) compared with a firmware file. Input: the dump, kPause, then
// the firmware file.

#include "fuzz_env.h"
#include "loader/eeprom_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    const vx::fuzz::TwoParts parts = vx::fuzz::splitAtPause(data, size);
    const std::string dump = vx::fuzz::inputFile("board.ee", parts.first, parts.firstSize);
    const std::string fw = vx::fuzz::inputFile("board.fw", parts.second, parts.secondSize);
    (void)vx::loader::compareDump(dump, fw);
    return 0;
}
