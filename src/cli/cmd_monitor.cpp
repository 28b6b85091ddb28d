// vendrix-cli monitor and sample-timer: the real-time monitor and the nodes' sampling
// timer from a terminal, through the same procedures as the windows.

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/csv_option.h"
#include "cli/logger_session.h"
#include "link/transaction.h"
#include "monitor/monitor.h"
#include "platform/signals.h"
#include "shell/logger_modes.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

constexpr unsigned long kMaxDuration = 31536000;  // a year
constexpr auto kTick = std::chrono::milliseconds(100);

struct MonitorRun {
    unsigned long duration = 0;  // seconds, 0: until Ctrl+C
    uint16_t period = 0;         // export period, seconds
    std::string exportFile;
    bool exportFailed = false;
};

// The window's timer: a tick every 100 ms until the time is up, Ctrl+C, or the logger has
// gone. The monitor text goes to standard output as it comes.
void runTicks(const MonitorRun& run) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(run.duration);
    auto next = start;
    while (!vx::platform::interruptRequested() && !vx::monitor::monitorLinkLost()) {
        next += kTick;
        std::this_thread::sleep_until(next);
        vx::monitor::monitorTick();
        std::fflush(stdout);
        if (run.duration > 0 && Clock::now() >= end) break;
    }
}

void monitorSession(MonitorRun& run) {
    initMonitor(nullptr, nullptr);
    std::fflush(stdout);
    // The monitor starts with the session's sample time as its export period; the period
    // given is then typed into the selection dialog's box before Start.
    if (run.period) Tsample_exp = run.period;
    if (!run.exportFile.empty() && !vx::monitor::startExportTo(run.exportFile, nullptr))
        run.exportFailed = true;
    runTicks(run);
    // Ctrl+C ends the monitor as its Esc button does, and the command then succeeds.
    vx::platform::clearInterrupt();
    if (!run.exportFile.empty() && !run.exportFailed && !vx::monitor::exportRunning())
        run.exportFailed = true;
    vx::monitor::MonitorClose close;
    close.readSession = false;
    vx::monitor::closeMonitor(close);
    std::fflush(stdout);
}

}  // namespace

int cmdMonitor(const std::vector<std::string>& args) {
    Options opts(withConnection(withCsv({
        {0, "duration", true, false, "stop after this many seconds (default: at Ctrl+C)", "S"},
        {0, "export", true, false, "write the data export file FILE (with --period)", "FILE"},
        {0, "period", true, false, "export period in seconds, 1 to 65535", "S"},
        {0, "comma", false, false, "decimal commas in the export file"},
        {0, "save", false, false, "write the monitor text into QM41mon.txt at the end"},
    })));
    const char* name = "monitor";
    if (!parseOrHelp(
            opts, args, name,
            "Shows the packets the nodes send to the logger (the real-time monitor) on standard output."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError(name, bad);
    MonitorRun run;
    if (opts.has("duration")) {
        auto d = parseUnsigned(opts.value("duration"));
        if (!d || *d < 1 || *d > kMaxDuration)
            return usageError(name, "--duration " + opts.value("duration") + ": from 1 to 31536000 seconds");
        run.duration = *d;
    }
    if (opts.has("export") != opts.has("period"))
        return usageError(name, "--export FILE and --period SECONDS go together");
    if (opts.has("export")) {
        if (opts.value("export").empty()) return usageError(name, "--export: the file name is empty");
        if (!vx::monitor::setExportPeriod(opts.value("period")))
            return usageError(name, "--period " + opts.value("period") + ": from 1 to 65535");
        run.period = Tsample_exp;
        run.exportFile = opts.value("export");
    }
    CsvRequest csv;
    if (std::string bad = parseCsvRequest(opts, &csv); !bad.empty()) return usageError(name, bad);
    if (csv.wanted) {
        if (run.exportFile.empty()) return usageError(name, "--csv goes with --export FILE");
        if (csv.file.empty()) csv.file = csvNameFor(run.exportFile);
        if (csv.file == run.exportFile)
            return usageError(name,
                              "--csv: " + csv.file + " is the export file; give the CSV a name of its own");
        vx::monitor::setExportCsv(csv.file, csv.style);
    }

    useTerminal(opts);
    Connection conn;
    if (std::string error = readSession(opts, conn); !error.empty()) return fail(error);
    Flag.comma = opts.has("comma") ? 1 : 0;
    terminal().setAnswer("Data export file will be closed", vx::ui::Answer::Yes);
    terminal().setAnswer("Save window data to file", vx::ui::Answer::Yes);

    vx::shell::runMonitor(nullptr, [&] { monitorSession(run); });
    bool saved =
        !opts.has("save") || vx::monitor::saveMonitorText(nullptr, vx::monitor::monitorText().view());

    const auto& stats = vx::monitor::monitorStats();
    std::fprintf(stderr, "vendrix-cli monitor: %llu lines received", (unsigned long long)stats.lines);
    if (!run.exportFile.empty())
        std::fprintf(stderr, "; %s: %u rows", run.exportFile.c_str(), unsigned(vx::monitor::exportRows()));
    if (csv.wanted) std::fprintf(stderr, "; %s: CSV", csv.file.c_str());
    std::fputc('\n', stderr);
    return vx::monitor::monitorLinkLost() || run.exportFailed || !saved ? kExitFailed : kExitOk;
}

int cmdSampleTimer(const std::vector<std::string>& args) {
    const char* name = "sample-timer";
    Options opts(connectionOptions());
    for (auto& a : args)
        if (a == "--help" || a == "-h") {
            std::printf(
                "Usage: vendrix-cli %s SECONDS [OPTIONS]\n%s\n\nOptions:\n%s", name,
                "Sets the sampling timer (SaTmr) of the nodes, as the Sample Timer window does; 0 sends "
                "ATST0000.",
                opts.usage().c_str());
            return kExitOk;
        }
    if (!opts.parse(args)) return usageError(name, opts.error());
    if (opts.positional().size() != 1) return usageError(name, "SECONDS is required (from 0 to 65535)");
    const std::string& typed = opts.positional()[0];
    if (!parseUnsigned(typed)) return usageError(name, typed + ": a whole number of seconds (0 to 65535)");
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError(name, bad);

    useTerminal(opts);
    Connection conn;
    if (std::string error = readSession(opts, conn); !error.empty()) return fail(error);
    // The dialog's value box: the typed value clamped and written back, then Apply.
    const uint16_t seconds = vx::monitor::clampSaTmr(typed);
    bool answered = false;
    std::string reason;
    const int shownBefore = terminal().problemsShown();
    vx::link::clearFailure();
    int ran = vx::shell::runSampleTimer(nullptr, [&] {
        vx::monitor::applySaTmr(nullptr, seconds, &answered);
        reason = vx::link::lastFailureText();
    });
    if (!ran) {
        if (terminal().problemsShown() > shownBefore) return kExitFailed;  // its message was shown
        return fail(withReason("The datalogger did not leave its idle state (ATCM06)."));
    }
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATST%04X", unsigned(seconds));
    if (!answered)
        return fail(std::string("The datalogger did not accept ") + cmd +
                    (reason.empty() ? "" : "\n(" + reason + ")"));
    if (seconds == 0)
        std::printf("%s sent: the nodes keep their sampling timer\n", cmd);
    else
        std::printf("Sampling timer of the nodes set to %u s (%s)\n", unsigned(seconds), cmd);
    return kExitOk;
}

}  // namespace vx::cli
