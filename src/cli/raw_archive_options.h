#pragma once
// download --archive DIR / --since DIR and convert --archive DIR: the raw archive of a
// download from the command line.

#include <string>
#include <vector>

#include "cli/options.h"
#include "session/download.h"

namespace vx::cli {

// `specs` with --archive and --since after them (download).
std::vector<OptionSpec> withRawArchive(std::vector<OptionSpec> specs);

// "" with *raw filled, else what is wrong with the command line.
std::string parseRawOptions(const Options& opts, vx::session::RawOptions* raw);

// Before the logger is reached: "" when the archive --since names can be brought up to
// date, else why not.
std::string checkSinceArchive(const vx::session::RawOptions& raw);

// "DIR: raw archive, 120 pages (12 read now)" after a download with an archive; "" without.
std::string describeRawArchive(const vx::session::RawOptions& raw, size_t pagesBefore);

// Pages the archive of --since holds before the download (0 without --since).
size_t archivedPages(const vx::session::RawOptions& raw);

// convert --archive DIR: the data record file `out` ("" : the session start, in the
// current folder) decoded from the archive with the sample time; the exit status, and in
// *written the file's name.
int convertRawArchive(const std::string& dir, unsigned sample, const std::string& out, std::string* written);

}  // namespace vx::cli
