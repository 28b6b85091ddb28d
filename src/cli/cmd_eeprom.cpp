// vendrix-cli eeprom: the dump of a board's I2C EEPROM into a *.ee file, and the check of a
// dump against a firmware file.

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/logger_session.h"
#include "cli/subcommands.h"
#include "link/com.h"
#include "link/dialing.h"
#include "loader/eeprom_compare.h"
#include "loader/eeprom_dump.h"
#include "platform/signals.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

using vx::ui::Answer;

int eepromDump(const std::vector<std::string>& args) {
    const char* name = "eeprom dump";
    Options opts(withConnection({
        {0, "fast", false, false,
         "one request, the device streams all 512 blocks (recommended; cannot be stopped "
         "from a window, Ctrl+C still ends it)",
         ""},
    }));
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"FILE.ee", 1, 1},
            "Reads the 32 KiB I2C EEPROM of an energy-monitoring board into FILE.ee (1024 lines of 32 "
            "bytes in hex with their CRC).",
            true, &status))
        return status;
    const std::string path = opts.positional()[0];
    useTerminal(opts, true);
    Connection conn;
    if (!conn.open(opts)) return fail(conn.message());
    const std::string port = CommPort;
    if (Flag.modem == 1 && Stato_OPM != 2)
        return fail(
            "The modem answers: give the plant's number with --modem NUMBER to reach the board behind it.");
    if (Flag.QM43BOOT == 1 || (Flag.VT71 != 1 && Flag.NOD85 != 1))
        return fail("The device on " + port + " is not an energy-monitoring board (VT71a or NOD85).");
    terminal().setAnswer("FAST mode ?", opts.has("fast") ? Answer::Yes : Answer::No);
    const int problems = terminal().problemsShown();
    const int done = vx::loader::dumpEepromTo(nullptr, path);
    const vx::loader::EepromDumpStats& st = vx::loader::lastDump();
    std::printf("%u of %u blocks read (%s)\n", unsigned(st.blocks), unsigned(EE_BLOCKS),
                st.fast ? "FAST" : "block by block");
    if (done != 1 || terminal().problemsShown() != problems) {
        if (st.stopped || vx::platform::interruptRequested()) return kExitInterrupted;
        std::string text = "Download procedure was not completed !";
        if (!st.why.empty()) text += "\n" + st.why;
        if (!st.partial.empty())
            text += vx::ui::format("\n%s holds only the %u blocks received (of %u): it is incomplete.",
                                   st.partial.c_str(), unsigned(st.blocks), unsigned(EE_BLOCKS));
        return fail(text);
    }
    std::printf("Data saved into file %s\n", path.c_str());
    return kExitOk;
}

int eepromCompare(const std::vector<std::string>& args) {
    const char* name = "eeprom compare";
    Options opts({});
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"FILE.ee FILE.fw", 2, 2},
            "Compares an EEPROM dump with a firmware file: the firmware records against the dump's lines "
            "after its first 256 bytes.",
            false, &status))
        return status;
    const vx::loader::EeCompare c = vx::loader::compareDump(opts.positional()[0], opts.positional()[1]);
    if (!c.equal) return fail("Files are different !\n(" + c.why + ")");
    std::printf("Data are identical ! (%u records compared)\n", unsigned(c.compared));
    return kExitOk;
}

const Subcommand kSubs[] = {
    {"dump", eepromDump, "read a board's I2C EEPROM into a *.ee file"},
    {"compare", eepromCompare, "compare a *.ee dump with a firmware file"},
};

}  // namespace

int cmdEeprom(const std::vector<std::string>& args) {
    return runSubcommand("eeprom", "The I2C EEPROM of an energy-monitoring board.", kSubs, args);
}

}  // namespace vx::cli
