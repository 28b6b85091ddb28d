#include "cli/raw_archive_options.h"

#include <cstdio>

#include "cli/commands.h"
#include "platform/signals.h"
#include "session/raw_archive.h"
#include "session/session_state.h"

namespace vx::cli {

std::vector<OptionSpec> withRawArchive(std::vector<OptionSpec> specs) {
    specs.push_back({0, "archive", true, false,
                     "also keep the raw data (pages, table, temporary buffer, registers, clocks) in folder "
                     "DIR, for convert --archive and download --since",
                     "DIR"});
    specs.push_back({0, "since", true, false,
                     "read only the pages written since the raw archive DIR of this session was made, "
                     "append them to it, and write the complete data record file",
                     "DIR"});
    return specs;
}

std::string parseRawOptions(const Options& opts, vx::session::RawOptions* raw) {
    if (opts.has("archive") && opts.has("since"))
        return "--archive and --since do not go together (--since updates its own archive)";
    for (const char* key : {"archive", "since"})
        if (opts.has(key) && opts.value(key).empty())
            return std::string("--") + key + ": the folder name is empty";
    raw->keepIn = opts.value("archive");
    raw->since = opts.value("since");
    return {};
}

std::string checkSinceArchive(const vx::session::RawOptions& raw) {
    if (raw.since.empty()) return {};
    vx::session::RawArchive archive;
    return vx::session::loadArchive(raw.since, archive);
}

size_t archivedPages(const vx::session::RawOptions& raw) {
    vx::session::RawArchive archive;
    if (raw.since.empty() || !vx::session::loadArchive(raw.since, archive).empty()) return 0;
    return archive.pageCount();
}

std::string describeRawArchive(const vx::session::RawOptions& raw, size_t pagesBefore) {
    const std::string& dir = raw.since.empty() ? raw.keepIn : raw.since;
    vx::session::RawArchive archive;
    if (dir.empty() || !vx::session::loadArchive(dir, archive).empty()) return {};
    const size_t now = archive.pageCount();
    return dir + ": raw archive, " + std::to_string(now) + " pages (" + std::to_string(now - pagesBefore) +
           " read now)";
}

int convertRawArchive(const std::string& dir, unsigned sample, const std::string& out, std::string* written) {
    vx::session::RawArchive archive;
    if (std::string error = vx::session::loadArchive(dir, archive); !error.empty()) return fail(error);
    Tsample = uint16_t(sample);
    const std::string name = out.empty() ? archive.sessionStart : out;
    *written = name;
    if (!vx::session::convertArchive(nullptr, name.c_str(), archive)) {
        if (vx::platform::interruptRequested()) return kExitInterrupted;
        const std::string& why = vx::session::downloadFailure();
        return fail("The output file was not created !" + (why.empty() ? std::string() : "\n(" + why + ")"));
    }
    std::printf("%s: %u rows, %u columns, sample time %u s\n", name.c_str(), unsigned(InfoSES.nItem),
                unsigned(InfoSES.nSubItem), unsigned(Tsample));
    return kExitOk;
}

}  // namespace vx::cli
