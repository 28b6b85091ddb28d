// vendrix-cli: the program's procedures from a terminal, for scripts and support staff.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/connection.h"
#include "link/trace.h"
#include "platform/number_format.h"
#include "platform/signals.h"
#include "shell/defaults.h"
#include "shell/program_trace.h"
#include "shell/startup_state.h"
#include "ui/text_encoding.h"

namespace vx::cli {
namespace {

int gExit = 0;

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

const Command kCommands[] = {
    {"identify", cmdIdentify, "find the device and print its identity"},
    {"report", cmdReport, "read the logger's session and print the session report"},
    {"download", cmdDownload, "download the session into the data record file"},
    {"clock-sync", cmdClockSync, "set the logger's clock to the PC clock"},
    {"monitor", cmdMonitor, "show the nodes' packets in real time, export their values"},
    {"sample-timer", cmdSampleTimer, "set the sampling timer (SaTmr) of the nodes"},
    {"convert", cmdConvert, "convert a session of a flash image into its data record file"},
    {"table", cmdTable, "edit a data record file or a saved table and save it in format A or B"},
    {"graph", cmdGraph, "draw the column graph of a data record file or a saved table"},
    {"board", cmdBoard, "the energy-monitoring board: parameters, inverters, alarms, GSM field"},
    {"firmware", cmdFirmware, "check a firmware file, upload it into a board or a QM43 boot loader"},
    {"eeprom", cmdEeprom, "dump a board's I2C EEPROM into a file, compare a dump with a firmware file"},
    {"flash", cmdFlash, "write a flash image into the logger, or clear its flash memory"},
    {"counter", cmdCounter, "print or set the board's energy and days counters"},
    {"diagnose", cmdDiagnose, "write an archive for support: versions, platform, ports, a traced probe"},
};

void printUsage(FILE* to) {
    std::fprintf(to, "Usage: vendrix-cli COMMAND [OPTIONS]\n\nCommands:\n");
    for (auto& c : kCommands)
        std::fprintf(to, "  %-12s %s\n", c.name, c.summary);
    std::fprintf(to, "\nRun \"vendrix-cli COMMAND --help\" for the options of a command.\n");
    std::fprintf(to, "Every command takes --trace FILE: a protocol trace of the run written into FILE.\n");
}

}  // namespace

bool parseOrHelp(Options& opts, const std::vector<std::string>& args, const char* name, const char* summary) {
    for (auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::printf("Usage: vendrix-cli %s [OPTIONS]\n%s\n\nOptions:\n%s", name, summary,
                        opts.usage().c_str());
            gExit = 0;
            return false;
        }
    }
    if (!opts.parse(args)) return usageError(name, opts.error()), false;
    if (!opts.positional().empty())
        return usageError(name, "unexpected argument " + opts.positional()[0]), false;
    return true;
}

int exitStatus() {
    return gExit;
}

int usageError(const char* name, const std::string& what) {
    std::fprintf(stderr, "vendrix-cli %s: %s\n", name, vx::ui::cp1252ToUtf8(what).c_str());
    vx::link::traceMessage(std::string("vendrix-cli ") + name + ": " + what, "usage error");
    gExit = kExitUsage;
    return kExitUsage;
}

int fail(const std::string& message) {
    std::string text;
    for (char c : message)
        if (c != '\r') text += c;
    std::fprintf(stderr, "%s\n", vx::ui::cp1252ToUtf8(text).c_str());
    vx::link::traceMessage(message, "error");
    return kExitFailed;
}

int chr_to_num_hex(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace vx::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the platform's port list needs it
    vx::platform::keepPointDecimals();
    initVAR();
    buildProgramNames();
    // Ctrl+C asks the command to stop (twice ends it); every signal removes temporary files.
    vx::platform::installSignalCleanup(true);

    // --trace is taken wherever it stands, before or after the command's name.
    std::vector<std::string> args(argv + 1, argv + argc);
    const vx::shell::TraceSwitch traceSwitch = vx::shell::takeTraceSwitch(args);
    if (!traceSwitch.error.empty()) {
        std::fprintf(stderr, "vendrix-cli: %s\n", traceSwitch.error.c_str());
        return vx::cli::kExitUsage;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        vx::cli::printUsage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    // A trace that cannot be written ends the run before it touches the device: the user
    // asked for the record of this run, and learns at once that there would be none.
    vx::shell::TraceRun trace;
    if (traceSwitch.given && !trace.start(traceSwitch.file, std::vector<std::string>(argv, argv + argc)))
        return vx::cli::fail(trace.error());
    const std::string name = args[0];
    args.erase(args.begin());
    int status = -1;
    for (auto& c : vx::cli::kCommands) {
        if (name != c.name) continue;
        status = c.run(args);
        if (status == vx::cli::kExitOk && vx::cli::modemLeftOnLine()) status = vx::cli::kExitFailed;
        if (vx::platform::interruptRequested()) {
            std::fprintf(stderr, "vendrix-cli %s: interrupted\n", c.name);
            vx::link::traceNote("interrupted (Ctrl+C)");
            status = vx::cli::kExitInterrupted;
        }
        break;
    }
    if (status < 0) {
        std::fprintf(stderr, "vendrix-cli: unknown command %s\n", name.c_str());
        vx::link::traceMessage("vendrix-cli: unknown command " + name, "usage error");
        vx::cli::printUsage(stderr);
        status = vx::cli::kExitUsage;
    }
    // Committed whatever the outcome: a failed run is the one whose trace is wanted.
    if (!trace.finish()) {
        vx::cli::fail(trace.error());
        if (status == vx::cli::kExitOk) status = vx::cli::kExitFailed;
    }
    return status;
}
