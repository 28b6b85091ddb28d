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
int cmdMonitor(const std::vector<std::string>& args);
int cmdSampleTimer(const std::vector<std::string>& args);
int cmdConvert(const std::vector<std::string>& args);
int cmdTable(const std::vector<std::string>& args);
int cmdGraph(const std::vector<std::string>& args);
int cmdBoard(const std::vector<std::string>& args);
int cmdFirmware(const std::vector<std::string>& args);
int cmdEeprom(const std::vector<std::string>& args);
int cmdFlash(const std::vector<std::string>& args);
int cmdCounter(const std::vector<std::string>& args);
int cmdDiagnose(const std::vector<std::string>& args);

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the program showed an error
constexpr int kExitUsage = 2;   // the command line was wrong
constexpr int kExitInterrupted = 130;

// Parses args; on --help prints the subcommand's usage. False when the command should
// end now, with exitStatus() telling how.
bool parseOrHelp(Options& opts, const std::vector<std::string>& args, const char* name, const char* summary);
int exitStatus();

// "vendrix-cli NAME: what" on stderr; returns kExitUsage.
int usageError(const char* name, const std::string& what);

// Prints the program's message (line ends as a terminal wants them) and returns kExitFailed.
int fail(const std::string& message);

// The value of a board-type character as a hex digit, -1 when it is none.
int chr_to_num_hex(unsigned char c);

}  // namespace vx::cli
