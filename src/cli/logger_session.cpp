#include "cli/logger_session.h"

#include "link/com.h"
#include "link/dialing.h"
#include "link/transaction.h"
#include "shell/session_commands.h"
#include "state/flags.h"

namespace vx::cli {

std::vector<OptionSpec> withConnection(std::vector<OptionSpec> extra) {
    auto all = connectionOptions();
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

std::string withReason(const std::string& text) {
    std::string r = vx::link::lastFailureText();
    return r.empty() ? text : text + "\n(" + r + ")";
}

std::string connectLogger(const Options& opts, Connection& conn) {
    if (!conn.open(opts)) return conn.message();
    if (Flag.QM43BOOT == 1)
        return std::string("The device on ") + CommPort + " is a QM43 waiting in its boot loader (" +
               Flag.bootvers + "): it has no session to read until its firmware is loaded.";
    // A modem in command mode would take "ATDT..." for a number to dial.
    if (Flag.modem == 1 && Stato_OPM != 2)
        return "The modem answers: give the plant's number with --modem NUMBER to reach the logger behind "
               "it.";
    return {};
}

std::string readSession(const Options& opts, Connection& conn) {
    if (std::string error = connectLogger(opts, conn); !error.empty()) return error;
    vx::link::clearFailure();
    vx::shell::openSession(nullptr);
    if (Flag.pages_error) return withReason("Pages reading error !");
    if (Flag.table_error && !Flag.NOD85) return withReason("Parsing error in Assignment Table !");
    if (Flag.time_error) return withReason("Parsing error in time strings !");
    if ((Flag.VT71 || Flag.NOD85) && Flag.alarm_error) return withReason("Alarm register reading error !");
    return {};
}

}  // namespace vx::cli
