// vendrix-cli flash and counter: the main window's service commands that change the
// device, from a terminal: a flash image written into the logger, the flash cleared, and
// the board's energy and days counters.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/logger_session.h"
#include "cli/subcommands.h"
#include "link/com.h"
#include "link/transaction.h"
#include "loader/bin_file.h"
#include "shell/service_commands.h"
#include "state/flags.h"
#include "ui/input_dialogs.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

using vx::ui::Answer;

Answer yesAnswer(const Options& opts) {
    return opts.has("yes") ? Answer::Yes : Answer::No;
}

std::vector<OptionSpec> confirmOptions() {
    return withConnection(
        {{'y', "yes", false, false, "answer the confirmation before changing the device", ""}});
}

int flashUpload(const std::vector<std::string>& args) {
    const char* name = "flash upload";
    Options opts(confirmOptions());
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"FILE.bin", 1, 1},
            "Writes a flash image (whole 528-byte pages, 1 to 4096) into the logger's flash memory.", true,
            &status))
        return status;
    const std::string path = opts.positional()[0];
    useTerminal(opts, true);
    uint32_t pages = 0;
    {
        // The file first: a bad image needs no device.
        vx::loader::BinFile check;
        if (vx::loader::openBinFile(nullptr, path, check) != 1) return kExitFailed;
        pages = check.pages();
    }
    Connection conn;
    if (std::string error = connectLogger(opts, conn); !error.empty()) return fail(error);
    terminal().setAnswer("Upload data in flash memory ?", yesAnswer(opts));
    terminal().setAnswer(vx::ui::format("%u pages will be loaded", pages), yesAnswer(opts));
    vx::link::clearFailure();
    const vx::shell::UploadResult r = vx::shell::uploadFlashImage(nullptr, path);
    using Kind = vx::shell::UploadResult::Kind;
    if (r.kind == Kind::Declined) return fail("Nothing written: confirm with --yes.");
    if (r.kind == Kind::NotSupported || r.kind == Kind::NoFile) return kExitFailed;  // said already
    std::printf("Pages written: %u of %u\n", r.pagesWritten, r.pages);
    if (r.kind == Kind::Rejected) return fail(withReason("The upload was not completed."));
    return r.kind == Kind::Done ? kExitOk : kExitFailed;
}

int flashClear(const std::vector<std::string>& args) {
    const char* name = "flash clear";
    Options opts(confirmOptions());
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"", 0, 0},
            "Clears the logger's flash memory (all the data is lost) and reads the session again.", true,
            &status))
        return status;
    useTerminal(opts, true);
    Connection conn;
    if (std::string error = connectLogger(opts, conn); !error.empty()) return fail(error);
    terminal().setAnswer("The flash memory will be cleared", yesAnswer(opts));
    vx::link::clearFailure();
    bool declined = false;
    if (vx::shell::clearFlash(nullptr, &declined) == 1) {
        std::printf("The flash memory was cleared.\n");
        // The session is read again afterwards; an error it showed fails the command.
        if (Flag.pages_error || (Flag.table_error && !Flag.NOD85) || Flag.time_error)
            return fail(withReason("The session could not be read afterwards."));
        return kExitOk;
    }
    return declined ? fail("Nothing cleared: confirm with --yes.") : kExitFailed;
}

// Connects to an energy-monitoring or interface board.
std::string connectBoard(const Options& opts, Connection& conn) {
    if (std::string error = connectLogger(opts, conn); !error.empty()) return error;
    if (Flag.VT71 != 1 && Flag.NOD85 != 1)
        return std::string("The device on ") + CommPort +
               " is not an energy-monitoring board (VT71a or NOD85).";
    return {};
}

int counterCommand(const std::vector<std::string>& args, bool days) {
    const char* name = days ? "counter days" : "counter energy";
    Options opts(confirmOptions());
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"[VALUE]", 0, 1},
            days ? "Sets the board's days counter (0 to 9999; a VT71a from firmware 0x20 on). The board "
                   "does not tell its value."
                 : "Prints the board's energy counter in kWh, or sets it to VALUE (0 to 100000000, "
                   "one decimal).",
            true, &status))
        return status;
    const bool set = !opts.positional().empty();
    if (days && !set)
        return usageError(name, "the board does not tell its days counter: give the VALUE to set");
    const std::string value = set ? opts.positional()[0] : "";
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (days && !vx::shell::daysCounterAvailable())
        return fail("The days counter needs a VT71a with firmware 0x20 or later.");
    if (set) {
        const std::string question = days ? "Set the days counter to " + value + " ?"
                                          : "Set the energy counter to " + value + " kWh ?";
        terminal().setAnswer(question, yesAnswer(opts));
        if (vx::ui::message(nullptr, question, "Question", vx::ui::Icon::Question, vx::ui::Buttons::YesNo) !=
            Answer::Yes)
            return fail("Nothing written: confirm with --yes.");
        terminal().setInput(days ? "Days counter" : "Energy Counter", value);
    }
    vx::link::clearFailure();
    const vx::shell::CounterResult r = vx::shell::energyCounters(nullptr);
    if (r.failed) return fail(withReason("The board did not take the command."));
    if (!set) {
        std::printf("Energy counter: %.1f kWh\n", double(r.energy) / 10.0);
        return kExitOk;
    }
    if (days ? !r.daysSet : !r.energySet)
        return usageError(name, value + ": not a value the counter takes (" +
                                    (days ? std::string("0 ... 9999") : std::string("0.0 ... 100000000.0")) +
                                    ")");
    if (days)
        std::printf("Days counter set to %u.\n", r.days);
    else
        std::printf("Energy counter set to %.1f kWh.\n", double(r.newEnergy) / 10.0);
    return kExitOk;
}

int counterEnergy(const std::vector<std::string>& args) {
    return counterCommand(args, false);
}
int counterDays(const std::vector<std::string>& args) {
    return counterCommand(args, true);
}

const Subcommand kFlashSubs[] = {
    {"upload", flashUpload, "write a flash image (*.bin) into the logger"},
    {"clear", flashClear, "clear the logger's flash memory"},
};
const Subcommand kCounterSubs[] = {
    {"energy", counterEnergy, "print or set the board's energy counter"},
    {"days", counterDays, "set the board's days counter"},
};

}  // namespace

int cmdFlash(const std::vector<std::string>& args) {
    return runSubcommand("flash", "The logger's flash memory.", kFlashSubs, args);
}

int cmdCounter(const std::vector<std::string>& args) {
    return runSubcommand("counter", "The energy-monitoring board's counters (VT71a, NOD85).", kCounterSubs,
                         args);
}

}  // namespace vx::cli
