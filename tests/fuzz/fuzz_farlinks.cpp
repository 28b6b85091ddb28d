// "Farlinks.ini", the remembered telephone number of the modem connection.

#include "fuzz_env.h"
#include "link/modem_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    load_ini(vx::fuzz::inputFile("Farlinks.ini", data, size).c_str());
    return 0;
}
