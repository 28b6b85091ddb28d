#pragma once
// The subcommands of vendrix-cli and what they share.

#include <string>
#include <vector>

#include "cli/options.h"

namespace vx::cli {

int cmdIdentify(const std::vector<std::string>& args);
int cmdReport(const std::vector<std::string>& args);
int cmdDownload(const std::vector<std::string>& args);
int cmdClockSync(const std::vector<std::string>& args);

// Parses args; on --help prints the subcommand's usage. False when the command should
// end now, with exitStatus() telling how.
bool parseOrHelp(Options& opts, const std::vector<std::string>& args, const char* name, const char* summary);
int exitStatus();

// Prints the program's message (line ends as a terminal wants them) and returns 1.
int fail(const std::string& message);

// The value of a board-type character as a hex digit, -1 when it is none.
int chr_to_num_hex(unsigned char c);

}  // namespace vx::cli
