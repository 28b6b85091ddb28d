#pragma once
// Commands made of subcommands ("board read", "flash upload", ...): the dispatch with its
// usage text, and the parsing every subcommand shares.

#include <span>
#include <string>
#include <vector>

#include "cli/options.h"

namespace vx::cli {

struct Subcommand {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

// Runs the subcommand args[0] names; without one, or with --help, prints the list.
int runSubcommand(const char* command, const char* title, std::span<const Subcommand> subs,
                  const std::vector<std::string>& args);

// The operands a subcommand takes: their usage text ("FILE.vt1", "" for none) and count.
struct Operands {
    const char* text;
    size_t least, most;
};

// Parses a subcommand's options and operands; --help prints its usage. With `device`, the
// connection options are checked too. False when the command should end now, with the
// exit status in *status.
bool parseSubcommand(Options& opts, const std::vector<std::string>& args, const char* name, Operands operands,
                     const char* summary, bool device, int* status);

}  // namespace vx::cli
