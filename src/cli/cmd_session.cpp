// vendrix-cli report, download and clock-sync: the logger's session from a terminal.

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/csv_option.h"
#include "cli/logger_session.h"
#include "cli/raw_archive_options.h"
#include "cli/table_file.h"
#include "link/com.h"
#include "link/transaction.h"
#include "postproc/table.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "session/download.h"
#include "session/session_reader.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "shell/session_commands.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {

int cmdReport(const std::vector<std::string>& args) {
    Options opts(withConnection({{0, "verbose", false, false, "the detailed report (pages and registers)"}}));
    if (!parseOrHelp(opts, args, "report", "Reads the logger's session and prints the session report."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError("report", bad);
    useTerminal(opts);
    Connection conn;
    if (std::string error = readSession(opts, conn); !error.empty()) return fail(error);
    printInfoSes(nullptr, opts.has("verbose") ? 1 : 0);
    return kExitOk;
}

int cmdDownload(const std::vector<std::string>& args) {
    Options opts(withConnection(withRawArchive(withCsv({
        {0, "sample", true, false, "sample time in seconds, 1 to 65535 (required)", "SECONDS"},
        {0, "pages", true, false,
         "number of most recent data pages to read (default: all, 4 over a modem or from a board)", "N"},
        {0, "verbose", false, false, "also write the dump QM41data.txt and the flash image QM41data.bin"},
        {'o', "out", true, false, "name of the data record file (default: the session start, YYMMDD_hhmmss)",
         "FILE"},
        {'q', "quiet", false, false, "no progress bar"},
        {0, "table", true, false, "also save the table as the post-processing window's Save does", "FILE"},
        {0, "format", true, false, "format of the --table file: A or B", "A|B"},
        {0, "comma", false, false, "decimal commas in the --table file"},
    }))));
    const char* name = "download";
    if (!parseOrHelp(opts, args, name,
                     "Downloads the logger's session into the data record file (Ctrl+C stops the download)."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError(name, bad);
    if (!opts.has("sample")) return usageError(name, "--sample SECONDS is required (from 1 to 65535)");
    auto sample = parseUnsigned(opts.value("sample"));
    if (!sample || *sample < 1 || *sample > 65535)
        return usageError(name, "--sample " + opts.value("sample") + ": from 1 to 65535");
    std::optional<unsigned long> pages;
    if (opts.has("pages") && (!(pages = parseUnsigned(opts.value("pages"))) || *pages > 4095))
        return usageError(name, "--pages " + opts.value("pages") + ": from 0 to 4095");
    if (opts.has("out") && opts.value("out").empty())
        return usageError(name, "--out: the file name is empty");
    if (!opts.has("table") && (opts.has("format") || opts.has("comma")))
        return usageError(name, "--format and --comma go with --table FILE");
    const int32_t format = parseFormat(opts.value("format"));
    if (opts.has("table") && opts.value("table").empty())
        return usageError(name, "--table: the file name is empty");
    if (opts.has("table") && format < 0) return usageError(name, "--table needs --format A or --format B");
    CsvRequest csv;
    if (std::string bad = parseCsvRequest(opts, &csv); !bad.empty()) return usageError(name, bad);
    vx::session::RawOptions raw;
    if (std::string bad = parseRawOptions(opts, &raw); !bad.empty()) return usageError(name, bad);

    useTerminal(opts, !opts.has("quiet"));
    if (std::string error = checkSinceArchive(raw); !error.empty()) return fail(error);
    const size_t archived = archivedPages(raw);
    Connection conn;
    if (std::string error = readSession(opts, conn); !error.empty()) return fail(error);
    Tsample = uint16_t(*sample);
    Flag.verbose = opts.has("verbose") ? 1 : 0;
    // The page count is set here, so the question before the download is answered Yes.
    if (pages) TotalPagNumDload = *pages >= TotalPagNum ? TotalPagNum : uint16_t(*pages);
    auto* terminal = static_cast<vx::ui::TerminalBackend*>(&vx::ui::backend());
    terminal->setAnswer("Number of data pages read:", vx::ui::Answer::Yes);
    terminal->setAnswer("Only the data in the temporary buffer", vx::ui::Answer::Yes);

    using Kind = vx::shell::DownloadOutcome::Kind;
    auto result = vx::shell::startDownload(nullptr, opts.value("out", DataTimeSS), raw);
    if (result.kind != Kind::Downloaded) return kExitFailed;  // the message has been shown
    std::printf("%s, sample time %u s\n", vx::shell::describeDownload(result).c_str(), unsigned(Tsample));
    if (std::string line = describeRawArchive(raw, archived); !line.empty())
        std::printf("%s\n", line.c_str());
    if (Flag.verbose == 1) {
        std::error_code ec;
        std::printf("%s and %s in %s\n", DUMP_FILE, IMAGE_FILE,
                    std::filesystem::current_path(ec).string().c_str());
    }
    if (!opts.has("table") && !csv.wanted) return kExitOk;
    // The post-processing window as it opens after the download, saved with no edits.
    if (InfoSES.nItem > MAX_TABLE_ITEMS) {
        vx::ui::message(nullptr, "The number of items was limited to 100000 !", "Warning",
                        vx::ui::Icon::Warning);
        InfoSES.nItem = MAX_TABLE_ITEMS;
    }
    if (!loadLV(&vx::postproc::theTable(), result.path.c_str()))
        return fail(result.path + ": File not valid !");
    if (opts.has("table")) {
        if (std::string error = saveTableFile(opts.value("table"), format, opts.has("comma")); !error.empty())
            return fail(error);
        std::printf("%s: table in format %c\n", opts.value("table").c_str(), format == FORMAT_A ? 'A' : 'B');
    }
    if (csv.wanted)
        if (std::string error = writeTableCsv(csv, result.path); !error.empty()) return fail(error);
    return kExitOk;
}

int cmdClockSync(const std::vector<std::string>& args) {
    Options opts(connectionOptions());
    if (!parseOrHelp(opts, args, "clock-sync", "Sets the logger's clock to the PC clock."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError("clock-sync", bad);
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectLogger(opts, conn); !error.empty()) return fail(error);
    vx::link::clearFailure();
    if (!clockSync()) return fail(withReason("Datalogger clock synchronization failed !"));
    std::printf("Datalogger clock set to %s\n", DataTimePC);
    return kExitOk;
}

}  // namespace vx::cli
