// Identification: the handshake on the port ("***", "ATCM08", "ATCM00", "ATVR" or the boot
// loader's two bytes), and through a modem: "modem.ini", "ATV0", the dial, its result lines,
// the device behind the modem and the hang-up. Input: one byte of mode (bit 0: a modem is
// expected), then the replies.

#include "fuzz_env.h"
#include "link/com.h"
#include "link/dialing.h"
#include "session/page_access.h"
#include "state/flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    vx::fuzz::freshProgram();
    Flag.modem = data[0] & 1;
    vx::fuzz::DeviceOnPort device(data + 1, size - 1);
    if (test_hCom(hCom) == 1 && Flag.modem == 1) {
        if (vx::link::dialRemote(hCom, "0123456789", 90000) == 1) {
            vx::link::identifyRemote(hCom);
            vx::link::hangUp(hCom);
        }
    }
    vx::session::choosePageReadingMode();
    (void)vx::link::lastFailureText();
    return 0;
}
