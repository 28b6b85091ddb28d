#include "cli/csv_option.h"

#include <cstdio>
#include <filesystem>

#include "postproc/table.h"
#include "postproc/table_csv.h"
#include "session/session_state.h"

namespace vx::cli {

std::vector<OptionSpec> withCsv(std::vector<OptionSpec> specs) {
    specs.insert(
        specs.end(),
        {
            {0, "csv", true, true,
             "also write the table as CSV (RFC 4180, UTF-8, ISO 8601 times, '.' decimals); default FILE: the "
             "file's name with .csv",
             "FILE"},
            {0, "csv-style", true, false, "rfc4180 (default) or excel-eu (';' separators, decimal commas)",
             "STYLE"},
        });
    return specs;
}

std::string parseCsvRequest(const Options& opts, CsvRequest* request) {
    *request = {};
    request->wanted = opts.has("csv");
    request->file = opts.value("csv");
    if (opts.has("csv-style")) {
        auto style = vx::session::parseCsvStyle(opts.value("csv-style"));
        if (!style) return "--csv-style " + opts.value("csv-style") + ": rfc4180 or excel-eu";
        if (!request->wanted) return "--csv-style goes with --csv";
        request->style = *style;
    }
    return {};
}

std::string csvNameFor(const std::string& file) {
    std::filesystem::path p(file);
    return p.replace_extension(".csv").string();
}

std::string writeTableCsv(const CsvRequest& request, const std::string& mainFile) {
    const std::string path = request.file.empty() ? csvNameFor(mainFile) : request.file;
    if (std::string error =
            vx::postproc::saveTableCsv(vx::postproc::theTable(), int(InfoSES.nSubItem), request.style, path);
        !error.empty())
        return error;
    std::printf("%s: CSV, %d rows\n", path.c_str(), vx::postproc::theTable().rows());
    return {};
}

}  // namespace vx::cli
