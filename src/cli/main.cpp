// vendrix-cli: the program's procedures from a terminal, for scripts and support staff.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/connection.h"
#include "platform/number_format.h"
#include "platform/signals.h"
#include "shell/defaults.h"
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
};

void printUsage(FILE* to) {
    std::fprintf(to, "Usage: vendrix-cli COMMAND [OPTIONS]\n\nCommands:\n");
    for (auto& c : kCommands)
        std::fprintf(to, "  %-12s %s\n", c.name, c.summary);
    std::fprintf(to, "\nRun \"vendrix-cli COMMAND --help\" for the options of a command.\n");
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
    gExit = kExitUsage;
    return kExitUsage;
}

int fail(const std::string& message) {
    std::string text;
    for (char c : message)
        if (c != '\r') text += c;
    std::fprintf(stderr, "%s\n", vx::ui::cp1252ToUtf8(text).c_str());
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

    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        vx::cli::printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (auto& c : vx::cli::kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        int status = c.run(args);
        if (status == vx::cli::kExitOk && vx::cli::modemLeftOnLine()) status = vx::cli::kExitFailed;
        if (vx::platform::interruptRequested()) {
            std::fprintf(stderr, "vendrix-cli %s: interrupted\n", c.name);
            return vx::cli::kExitInterrupted;
        }
        return status;
    }
    std::fprintf(stderr, "vendrix-cli: unknown command %s\n", argv[1]);
    vx::cli::printUsage(stderr);
    return 2;
}
