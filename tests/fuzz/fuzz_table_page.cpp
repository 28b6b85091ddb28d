// The assignment table page: its length word, the node records and their logical
// channels, then every text the program makes of them (the session report, the node list,
// the dump's session information). Input: one byte of mode (bit 0: an energy-monitoring
// board, bit 1: the verbose report), then the page.

#include <cstdio>
#include <cstring>

#include "fuzz_env.h"
#include "session/memory_model.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "session/verbose_dump.h"
#include "state/flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    vx::fuzz::freshProgram();
    static std::FILE* dump = std::fopen((vx::fuzz::scratchDir() + "/dump.txt").c_str(), "wb");
    Flag.VT71 = data[0] & 1;
    const size_t n = size - 1 < size_t(PAGE_SIZE) ? size - 1 : size_t(PAGE_SIZE);
    std::memset(TabAss, 0, sizeof TabAss);
    std::memcpy(TabAss, data + 1, n);
    vx::session::decodeTabAss();
    vx::session::sessionStartText(TabAss, DataTimeSS);
    static int box;
    printInfoSes(&box, (data[0] >> 1) & 1);
    printNodeList(&box);
    if (dump) {
        std::rewind(dump);
        vx::session::dumpSessionInfo(dump, 1);
    }
    return 0;
}
