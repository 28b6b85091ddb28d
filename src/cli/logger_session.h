#pragma once
// What the commands that work on a logger's session share: the options, the connection
// with the checks of what answered, the session read as the main window reads it.

#include <string>
#include <vector>

#include "cli/connection.h"
#include "cli/options.h"

namespace vx::cli {

// The connection options followed by a command's own.
std::vector<OptionSpec> withConnection(std::vector<OptionSpec> extra);

// The text with the last failed transaction's reason on a line of its own.
std::string withReason(const std::string& text);

// Connects to a logger that can take session commands: "" when it answered, else what
// went wrong or why the device cannot take them.
std::string connectLogger(const Options& opts, Connection& conn);

// Connects and reads the session as the main window does when it opens. "" when the
// session was read completely, else what went wrong.
std::string readSession(const Options& opts, Connection& conn);

}  // namespace vx::cli
