// The session read and the download as the main window runs them: the registers, the
// table page, the clocks, the first and last pages, then the page walk, the temporary
// buffer and the resampling into the data record file. Input: one byte of mode (bit 0:
// energy-monitoring board, bit 1: NOD85, bit 2: streamed page reading), then the replies.

#include <cstdlib>

#include "fuzz_env.h"
#include "link/com.h"
#include "session/session_state.h"
#include "shell/session_commands.h"
#include "state/flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    vx::fuzz::FuzzBackend& ui = vx::fuzz::freshProgram();
    Flag.VT71 = data[0] & 1;
    Flag.NOD85 = (data[0] >> 1) & 1;
    Datalogger.hw = Flag.VT71 ? '5' : Flag.NOD85 ? '8' : '0';
    Datalogger.fw = (data[0] & 4) ? 0x20 : 0x10;
    vx::fuzz::DeviceOnPort device(data + 1, size - 1);
    vx::shell::openSession(nullptr);
    if (Tsample == 0) std::abort();  // a sample time is 1 to 65535 s: 0 never ends the resampling
    // "Proceed to download ?" is answered; a far-off time marker makes very many rows,
    // which a user would stop: a few thousand rows are enough to exercise them.
    ui.yesAnswers = 1;
    ui.pollBudget = ui.polls + int(TotalPagNumDload) + 2;
    vx::shell::startDownload(nullptr, "download.txt");
    return 0;
}
