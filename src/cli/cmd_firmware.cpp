// vendrix-cli firmware: checking a firmware file and uploading it into a board (through
// its EEPROM and a reset) or into a QM43 waiting in its boot loader.

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/logger_session.h"
#include "cli/subcommands.h"
#include "link/com.h"
#include "link/dialing.h"
#include "loader/firmware_file.h"
#include "loader/firmware_upload.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

using vx::loader::FwFileError;
using vx::ui::Answer;

// Loads the file into the program's image; "" when valid, else the program's message.
std::string loadFile(const std::string& path) {
    int bad = -1;
    const FwFileError e = vx::loader::loadFirmware(path, &bad);
    if (e == FwFileError::None) return {};
    return "File sorgente non valido !\n(" + path + ": " + vx::loader::firmwareErrorText(e, bad) + ")";
}

void printImage() {
    std::printf("Board type:  %s (%X)\n", vx::loader::boardTypeName(FW.scheda), unsigned(FW.scheda));
    std::printf("FW version:  %s\n", FW.ver);
    std::printf("Records:     %u (%u blocks of 64 bytes)\n", unsigned(FW.npack),
                unsigned(vx::loader::fwBlockCount(FW.npack)));
}

int firmwareCheck(const std::vector<std::string>& args) {
    const char* name = "firmware check";
    Options opts({});
    int status = 0;
    if (!parseSubcommand(opts, args, name, {"FILE.fw", 1, 1},
                         "Checks a firmware file and prints its board type, version and records.", false,
                         &status))
        return status;
    if (std::string error = loadFile(opts.positional()[0]); !error.empty()) return fail(error);
    printImage();
    return kExitOk;
}

int firmwareUpload(const std::vector<std::string>& args) {
    const char* name = "firmware upload";
    Options opts(withConnection({
        {0, "fast", false, false, "stream the records (FAST mode, for slow dial-up links)", ""},
        {'y', "yes", false, false, "answer the confirmations (upload, reset) with yes (for scripts)", ""},
        {0, "no-reset", false, false, "leave the board running its old firmware after the upload", ""},
    }));
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"FILE.fw", 1, 1},
            "Uploads a firmware file into an energy-monitoring board (then resets it), or into a QM43 "
            "waiting in its boot loader.",
            true, &status))
        return status;
    // The file first: a bad file needs no device.
    if (std::string error = loadFile(opts.positional()[0]); !error.empty()) return fail(error);
    printImage();
    useTerminal(opts, true);
    Connection conn;
    if (!conn.open(opts)) return fail(conn.message());
    const std::string port = CommPort;
    if (Flag.modem == 1 && Stato_OPM != 2)
        return fail(
            "The modem answers: give the plant's number with --modem NUMBER to reach the device behind it.");
    const bool boot = Flag.QM43BOOT == 1;
    if (!boot && Flag.VT71 != 1 && Flag.NOD85 != 1)
        return fail("The device on " + port +
                    " is neither an energy-monitoring board (VT71a or NOD85) nor a QM43 in its boot loader.");
    std::printf("%s\n", boot ? (std::string("QM43 boot loader: ") + Flag.bootvers).c_str()
                             : (std::string("Board on ") + port).c_str());
    const Answer yes = opts.has("yes") ? Answer::Yes : Answer::No;
    terminal().setAnswer("The new firmware will be loaded", yes);
    terminal().setAnswer("FAST mode ?", opts.has("fast") ? Answer::Yes : Answer::No);
    terminal().setAnswer("Upload finished. To complete", opts.has("no-reset") ? Answer::No : yes);
    terminal().setAnswer("Error in the reception of the data packet", Answer::Yes);
    const int problems = terminal().problemsShown();
    const int done = vx::loader::updateFirmware(nullptr);
    const vx::loader::FwUploadStats& st = vx::loader::lastUpload();
    if (done == 0 && st.total == 0) return fail("Nothing uploaded: confirm with --yes.");
    std::printf("%u of %u records acknowledged (%u errors)\n", unsigned(st.acked), unsigned(FW.npack),
                unsigned(st.errors));
    if (done == 0 || st.acked != FW.npack || terminal().problemsShown() != problems) {
        // A failure the upload has shown already is not said twice.
        if (st.cancelled || terminal().problemsShown() != problems) return kExitFailed;
        return fail(st.why.empty() ? std::string("Upload not completed !") : st.why);
    }
    if (boot)
        std::printf("Uploaded through the boot loader; the QM43 starts the new firmware.\n");
    else if (opts.has("no-reset"))
        std::printf("Uploaded into the EEPROM; the board takes it at its next reset.\n");
    else
        std::printf("Uploaded; the board was reset to take the new firmware.\n");
    return kExitOk;
}

const Subcommand kSubs[] = {
    {"check", firmwareCheck, "check a firmware file, print its board type, version and records"},
    {"upload", firmwareUpload, "upload a firmware file into a board or a QM43 boot loader"},
};

}  // namespace

int cmdFirmware(const std::vector<std::string>& args) {
    return runSubcommand("firmware", "Firmware files (*.fw) and their upload.", kSubs, args);
}

}  // namespace vx::cli
