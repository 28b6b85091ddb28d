// Loading a saved table (format A) or a data record file behind a "Start:" line into the
// post-processing table, with the computed columns of an energy-monitoring board's
// session. Input: the file; or the table page, kPause and the file (a board's session).

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "fuzz_env.h"
#include "postproc/set_file_rules.h"
#include "postproc/table.h"
#include "postproc/table_load.h"
#include "session/memory_model.h"
#include "session/session_state.h"
#include "state/exe_dir.h"
#include "state/flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    vx::fuzz::clearScratch();
    vx::fuzz::TwoParts parts = vx::fuzz::splitAtPause(data, size);
    if (parts.secondSize > 0 || parts.firstSize < size) {
        std::memset(TabAss, 0, sizeof TabAss);
        std::memcpy(TabAss, parts.first,
                    parts.firstSize < size_t(PAGE_SIZE) ? parts.firstSize : size_t(PAGE_SIZE));
        vx::session::decodeTabAss();
        Flag.VT71 = 1;
    } else {
        parts.second = data;
        parts.secondSize = size;
    }
    const std::string path = vx::fuzz::inputFile("table-in.txt", parts.second, parts.secondSize);
    std::snprintf(Data_file, sizeof Data_file, "%s", path.c_str());
    vx::postproc::Table& table = vx::postproc::theTable();
    table.clear();
    if (loadFileTxt()) {
        // The copy is made in the current folder, under the start time: never elsewhere.
        const std::string name = DataTimeSS;
        if (name.find_first_of("/\\") != std::string::npos ||
            !std::filesystem::is_regular_file(std::filesystem::path(vx::fuzz::scratchDir()) / name))
            std::abort();
        vx::postproc::openSetFile(&table, nullptr);
    }
    table.clear();
    return 0;
}
