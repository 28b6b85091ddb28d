// The inverter details: the Aurora answers through the board for every inverter of the
// ComReg2 word. Input: ComReg2 (two bytes, low byte first), then the replies.

#include "boards/inverter_report.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    vx::fuzz::freshProgram();
    const uint16_t comReg2 = uint16_t(data[0] | data[1] << 8);
    vx::fuzz::DeviceOnPort device(data + 2, size - 2);
    refresh_dati_inv({}, comReg2);
    return 0;
}
