// The firmware file (*.fw): header, records, CRCs and count, and the texts of a failure.

#include "fuzz_env.h"
#include "loader/firmware_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FwImage img;
    int bad = -1;
    const vx::loader::FwFileError e = vx::loader::parseFirmware(data, size, img, &bad);
    (void)vx::loader::firmwareErrorText(e, bad);
    if (e == vx::loader::FwFileError::None) (void)vx::loader::boardTypeName(img.scheda);
    return 0;
}
