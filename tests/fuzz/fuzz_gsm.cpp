// The GSM field window's polls: the board's replies to the signal-quality query.

#include "boards/gsm_field.h"
#include "fuzz_env.h"
#include "link/com.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    vx::fuzz::DeviceOnPort device(data, size);
    // The window polls once a second until a poll says the board or the modem is gone.
    for (int i = 0; i < 64 && !hCom->gone(); ++i) {
        const vx::boards::GsmReading r = vx::boards::gsmPoll(nullptr);
        if (r.state == vx::boards::GsmPoll::Shown) (void)vx::boards::gsmFieldText(r.field);
        if (r.state == vx::boards::GsmPoll::NoBoard || r.state == vx::boards::GsmPoll::NoModem) break;
    }
    return 0;
}
