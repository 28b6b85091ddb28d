// vendrix-cli diagnose: the archive a user sends to support.

#include <cstdio>

#include "cli/commands.h"
#include "cli/connection.h"
#include "platform/signals.h"
#include "shell/diagnose.h"
#include "ui/text_encoding.h"

namespace vx::cli {

int cmdDiagnose(const std::vector<std::string>& args) {
    std::vector<OptionSpec> specs = {
        {0, "out", true, false, "the archive to write (default vendrix-diagnose-YYYYMMDD_hhmmss.tar here)",
         "FILE"},
        {0, "trace-of", true, false, "a trace made earlier with --trace, to include with its messages",
         "FILE"},
    };
    for (OptionSpec& s : connectionOptions())
        specs.push_back(s);
    Options opts(specs);
    if (!parseOrHelp(opts, args, "diagnose",
                     "Writes one archive for support: program version and build, platform, the serial ports\n"
                     "with this user's rights on each, and the protocol trace and messages of a short probe\n"
                     "of the device (on the given port, else the automatic scan)."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError("diagnose", bad);
    for (const char* name : {"out", "trace-of"})
        if (opts.has(name) && opts.value(name).empty())
            return usageError("diagnose", std::string("--") + name + ": the file name is empty");
    useTerminal(opts);

    Connection conn;
    vx::shell::DiagnoseRequest request;
    if (!conn.prepare(opts, request.port)) return fail(conn.message());
    request.out = opts.value("out");
    request.traceOf = opts.value("trace-of");
    request.commandLine = {"vendrix-cli", "diagnose"};
    request.commandLine.insert(request.commandLine.end(), args.begin(), args.end());

    const vx::shell::DiagnoseResult r = vx::shell::diagnose(request);
    if (vx::platform::interruptRequested()) return kExitInterrupted;  // main says so
    if (!r.ok) return fail(r.error);
    std::string probe;
    for (char c : r.probe)
        probe += c == '\n' ? std::string("\n       ") : std::string(1, c);
    std::printf("Probe: %s\n", vx::ui::cp1252ToUtf8(probe).c_str());
    std::printf("Wrote %s:\n", r.archive.c_str());
    for (const vx::shell::DiagnoseMember& m : r.members)
        std::printf("  %-18s %9llu bytes  %s\n", m.name.c_str(), (unsigned long long)m.size,
                    vx::ui::cp1252ToUtf8(m.what).c_str());
    return kExitOk;
}

}  // namespace vx::cli
