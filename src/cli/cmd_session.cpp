// vendrix-cli report, download and clock-sync: the logger's session from a terminal.

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/connection.h"
#include "session/download.h"
#include "session/page_access.h"
#include "session/session_reader.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "shell/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

vx::ui::TerminalBackend& terminal() {
    static vx::ui::TerminalBackend t;
    vx::ui::setBackend(&t);
    return t;
}

std::vector<OptionSpec> with(std::vector<OptionSpec> extra) {
    auto all = connectionOptions();
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

// Connects and reads the session as the main window does when it opens.
bool readSession(const Options& opts, Connection& conn, std::string& error) {
    if (!conn.open(opts)) return error = conn.message(), false;
    if (Flag.QM43BOOT == 1) return error = "The device is in its boot loader: no session to read", false;
    choosePageReadingMode();
    Flag.pages[0] = 0;
    initSession(Flag.pages, nullptr);
    if (Flag.pages_error) return error = "Pages reading error !", false;
    return true;
}

}  // namespace

int cmdReport(const std::vector<std::string>& args) {
    Options opts(with({{0, "verbose", false, false, "the detailed report (pages and registers)"}}));
    if (!parseOrHelp(opts, args, "report", "Reads the logger's session and prints the session report."))
        return exitStatus();
    terminal();
    Connection conn;
    std::string error;
    if (!readSession(opts, conn, error)) return fail(error);
    printInfoSes(nullptr, opts.has("verbose") ? 1 : 0);
    return 0;
}

int cmdDownload(const std::vector<std::string>& args) {
    Options opts(with({
        {0, "sample", true, false, "sample time in seconds, 1 to 65535 (required)", "SECONDS"},
        {0, "pages", true, false,
         "number of most recent data pages to read (default: all, 4 over a modem or from a board)", "N"},
        {0, "verbose", false, false, "also write the dump QM41data.txt and the flash image QM41data.bin"},
        {'o', "out", true, false, "name of the data record file (default: the session start, YYMMDD_hhmmss)",
         "FILE"},
        {'q', "quiet", false, false, "no progress bar"},
    }));
    if (!parseOrHelp(opts, args, "download",
                     "Downloads the logger's session into the data record file (Ctrl+C stops the download)."))
        return exitStatus();
    auto sample = parseUnsigned(opts.value("sample"));
    if (!opts.has("sample") || !sample || *sample < 1 || *sample > 65535)
        return fail("--sample SECONDS is required, from 1 to 65535");
    std::optional<unsigned long> pages;
    if (opts.has("pages") && !(pages = parseUnsigned(opts.value("pages"))))
        return fail("invalid --pages value");

    auto& t = terminal();
    t.setProgress(!opts.has("quiet"));
    // The page-count question: the count is set before, and the download proceeds.
    t.setAnswer("Number of data pages read:", vx::ui::Answer::Yes);
    t.setAnswer("Only the data in the temporary buffer", vx::ui::Answer::Yes);

    Connection conn;
    std::string error;
    if (!readSession(opts, conn, error)) return fail(error);
    if (Flag.table_error) return fail("Parsing error in Assignment Table !");
    Tsample = uint16_t(*sample);
    Flag.verbose = opts.has("verbose") ? 1 : 0;
    if (pages) TotalPagNumDload = *pages >= TotalPagNum ? TotalPagNum : uint16_t(*pages);

    std::string name = DataTimeSS;
    if (!saveFile(nullptr, name.c_str())) return fail("Download procedure was not completed !");
    std::string out = opts.value("out", name);
    if (out != name) {
        std::error_code ec;
        std::filesystem::rename(name, out, ec);
        if (ec) {
            std::filesystem::copy_file(name, out, std::filesystem::copy_options::overwrite_existing, ec);
            std::filesystem::remove(name);
            if (ec) return fail(out + " can not be written !");
        }
    }
    std::printf("%s: %u rows, %u columns, sample time %u s\n", out.c_str(), unsigned(InfoSES.nItem),
                unsigned(InfoSES.nSubItem), unsigned(Tsample));
    return 0;
}

int cmdClockSync(const std::vector<std::string>& args) {
    Options opts(connectionOptions());
    if (!parseOrHelp(opts, args, "clock-sync", "Sets the logger's clock to the PC clock."))
        return exitStatus();
    terminal();
    Connection conn;
    if (!conn.open(opts)) return fail(conn.message());
    if (!clockSync()) return fail("Datalogger clock synchronization failed !");
    std::printf("Datalogger clock set to %s\n", DataTimePC);
    return 0;
}

}  // namespace vx::cli
