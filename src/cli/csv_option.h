#pragma once
// --csv[=FILE] and --csv-style=STYLE, shared by the commands that write a table or an
// export: the locale-neutral CSV beside the program's own file.

#include <string>
#include <vector>

#include "cli/options.h"
#include "session/csv_format.h"

namespace vx::cli {

// `specs` with --csv and --csv-style after them.
std::vector<OptionSpec> withCsv(std::vector<OptionSpec> specs);

struct CsvRequest {
    bool wanted = false;
    std::string file;  // "" : the default name, known once the main file is
    vx::session::CsvStyle style = vx::session::CsvStyle::Rfc4180;
};

// "" with *request filled, else what is wrong with the command line.
std::string parseCsvRequest(const Options& opts, CsvRequest* request);

// The default name of the CSV of `file`: its extension replaced by ".csv", or ".csv"
// added when it has none (a data record file YYMMDD_hhmmss).
std::string csvNameFor(const std::string& file);

// Writes the post-processing table's channels to the CSV the request names (`mainFile`
// gives the default name) and prints where. "" on success, else the message to show.
std::string writeTableCsv(const CsvRequest& request, const std::string& mainFile);

}  // namespace vx::cli
