// vendrix-cli board: the energy-monitoring board (VT71a, NOD85) from a terminal: its
// parameter image, its inverters, alarms and GSM field, and its own commands.

#include <cstdio>
#include <string>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "boards/board_commands.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/board_text.h"
#include "boards/gsm_field.h"
#include "boards/inverter_report.h"
#include "boards/vt1_file.h"
#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/logger_session.h"
#include "link/com.h"
#include "link/transaction.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"
#include "ui/text_encoding.h"

namespace vx::cli {
namespace {

using vx::boards::boardCommError;

vx::ui::TerminalBackend& terminal() {
    return static_cast<vx::ui::TerminalBackend&>(vx::ui::backend());
}

// Text of the program (CR LF line ends, Windows-1252) as the terminal wants it.
void printText(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    std::fputs(vx::ui::cp1252ToUtf8(out).c_str(), stdout);
}

// Parses the options of "board SUB"; --help prints its usage with its operands. False when
// the command should end now, with exitStatus() telling how (kept in *status).
bool parseSub(Options& opts, const std::vector<std::string>& args, const char* name, const char* operands,
              size_t operandCount, const char* summary, int* status) {
    for (auto& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::printf("Usage: vendrix-cli %s %s[OPTIONS]\n%s\n\nOptions:\n%s", name, operands, summary,
                        opts.usage().c_str());
            *status = kExitOk;
            return false;
        }
    }
    if (!opts.parse(args)) return *status = usageError(name, opts.error()), false;
    if (opts.positional().size() > operandCount)
        return *status = usageError(name, "unexpected argument " + opts.positional()[operandCount]), false;
    if (opts.positional().size() < operandCount)
        return *status = usageError(name, std::string(operands) + "is required"), false;
    if (operandCount == 0)
        if (std::string bad = checkConnectionOptions(opts); !bad.empty())
            return *status = usageError(name, bad), false;
    return true;
}

// Finds the device and checks that it is an energy-monitoring board.
std::string connectBoard(const Options& opts, Connection& conn) {
    if (!conn.open(opts)) return conn.message();
    const std::string port = CommPort;
    if (Flag.modem == 1)
        return "The modem answers, but dialling the board behind it (the remote connection) is not available "
               "yet in this version.";
    if (Flag.QM43BOOT == 1)
        return "The device on " + port + " is a QM43 waiting in its boot loader, not a board.";
    if (Flag.VT71 != 1 && Flag.NOD85 != 1)
        return "The device on " + port + " is not an energy-monitoring board (VT71a or NOD85).";
    vx::link::clearFailure();
    return {};
}

// Reads the image as the configuration window does when it opens.
std::string readImage() {
    initParcfg();
    vx::link::clearFailure();
    if (loadParcfg() != 0) return withReason(boardCommError());
    return {};
}

void printDescription() {
    printText(vx::boards::boardTextDescription(EE));
    std::printf("\nBoard status: %s\n", stateName(Stato_OP));
}

int boardRead(const std::vector<std::string>& args) {
    const char* name = "board read";
    Options opts(withConnection(
        {{'o', "out", true, false, "also write the image into a parameter file", "FILE.vt1"}}));
    int status = 0;
    if (!parseSub(opts, args, name, "", 0,
                  "Reads the board's parameter image and prints its text description.", &status))
        return status;
    if (opts.has("out") && opts.value("out").empty())
        return usageError(name, "--out: the file name is empty");
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (std::string error = readImage(); !error.empty()) return fail(error);
    printDescription();
    for (int i = 1; i < PARCFG_N; ++i)
        if (Parcfg[i].val_err == 1)
            std::fprintf(stderr, "Warning: the value %s of parameter %d is out of range (%g ... %g)\n",
                         parameterText(i).c_str(), i, double(Parcfg[i].val_min), double(Parcfg[i].val_max));
    if (opts.has("out")) {
        std::string why;
        if (!vx::boards::writeParameterFile(opts.value("out"), &why))
            return fail("No data saved in the output file !\n(" + opts.value("out") + ": " + why + ")");
        std::printf("%s: parameter file written\n", opts.value("out").c_str());
    }
    return kExitOk;
}

int boardDescribe(const std::vector<std::string>& args) {
    const char* name = "board describe";
    Options opts({});
    int status = 0;
    if (!parseSub(opts, args, name, "FILE.vt1 ", 1,
                  "Prints the text description of a parameter file (no device is needed).", &status))
        return status;
    const std::string path = opts.positional()[0];
    switch (vx::boards::readParameterFile(path)) {
        case VT1_LOADED:
            printText(vx::boards::boardTextDescription(EE));
            return kExitOk;
        case VT1_NOT_VALID:
            return fail(path + ": File not valid !");
        default:
            return fail(path + ": File not found !");
    }
}

int boardInverters(const std::vector<std::string>& args) {
    const char* name = "board inverters";
    Options opts(withConnection({{0, "on-error", true, false,
                                  "when an inverter does not answer: abort the report (default), retry it "
                                  "until it answers or Ctrl+C, or ignore it (\"Error\" in the report)",
                                  "abort|retry|ignore"}}));
    int status = 0;
    if (!parseSub(
            opts, args, name, "", 0,
            "Asks every inverter the board's image names for its serial number, model and input powers.",
            &status))
        return status;
    const std::string onError = opts.value("on-error", "abort");
    vx::ui::Answer answer;
    if (onError == "abort")
        answer = vx::ui::Answer::Abort;
    else if (onError == "retry")
        answer = vx::ui::Answer::Retry;
    else if (onError == "ignore")
        answer = vx::ui::Answer::Ignore;
    else
        return usageError(name, "--on-error " + onError + ": abort, retry or ignore");
    useTerminal(opts);
    terminal().setAnswer("Inverter reading error", answer);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (std::string error = readImage(); !error.empty()) return fail(error);
    const int problems = terminal().problemsShown();
    if (refresh_dati_inv({}, EE.ram.ComReg2) != 1) return fail("The inverter report was stopped.");
    std::printf("\n");
    if (terminal().problemsShown() != problems) return fail("Some inverters did not answer.");
    return kExitOk;
}

// The alarms, in the main window's order, with the name --reset takes.
struct AlarmRow {
    const char* option;
    uint8_t state, sms;
};
const AlarmRow kAlarms[] = {
    {"inverter", ALA_INV, ALA_SMS_INV},
    {"efficiency", ALA_ETAG, ALA_SMS_ETAG},
    {"burglar", ALA_EFF, ALA_SMS_EFF},
    {"auxiliaries", ALA_AUX, ALA_SMS_AUX},
};

std::string alarmText(const AlarmRow& a) {
    if (a.state == ALA_INV) return alarmInverterText();
    if (a.state == ALA_AUX) return alarmAuxText();
    return a.state == ALA_ETAG ? "Overall efficiency alarm" : "Burglar alarm";
}

int boardAlarms(const std::vector<std::string>& args) {
    const char* name = "board alarms";
    Options opts(
        withConnection({{0, "reset", true, false, "acknowledge the alarm's SMS first (clears its SMS bit)",
                         "burglar|auxiliaries|inverter|efficiency"}}));
    int status = 0;
    if (!parseSub(opts, args, name, "", 0, "Reads the board's alarm register and prints the alarms.",
                  &status))
        return status;
    const AlarmRow* reset = nullptr;
    if (opts.has("reset")) {
        for (auto& a : kAlarms)
            if (opts.value("reset") == a.option) reset = &a;
        if (!reset)
            return usageError(
                name, "--reset " + opts.value("reset") + ": burglar, auxiliaries, inverter or efficiency");
    }
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (upd_Alarm(nullptr) != 1) return fail(withReason("Alarm register reading error !"));
    if (reset) {
        vx::link::clearFailure();
        if (vx::boards::resetAlarm(nullptr, reset->sms) != 1)
            return fail(withReason("Alarm register reading error !"));
        if (Alarm & reset->sms)
            return fail(std::string("The board kept the SMS of the ") + reset->option + " alarm.");
    }
    std::printf("Alarm register: %02X\n", unsigned(Alarm));
    for (auto& a : kAlarms)
        std::printf("%-12s %-5s %-8s %s\n", a.option, (Alarm & a.state) ? "ALARM" : "ok",
                    (Alarm & a.sms) ? "SMS" : "-", alarmText(a).c_str());
    return kExitOk;
}

int boardGsm(const std::vector<std::string>& args) {
    const char* name = "board gsm";
    Options opts(connectionOptions());
    int status = 0;
    if (!parseSub(opts, args, name, "", 0,
                  "Asks the GSM modem on the board's display port 2 for its signal quality, once.", &status))
        return status;
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    const vx::boards::GsmReading r = vx::boards::gsmPoll(nullptr);
    switch (r.state) {
        case vx::boards::GsmPoll::Shown:
            printText(vx::boards::gsmFieldText(r.field));
            return kExitOk;
        case vx::boards::GsmPoll::NotShown:
            return fail("The GSM modem answered without a signal reading.");
        default:
            return fail(withReason("No GSM field reading."));  // the message has been shown
    }
}

// save, defaults and reset: the board's own commands, then (but for save) the image read
// again and described.
int boardCommand(const std::vector<std::string>& args, const char* name, const char* summary, int which) {
    Options opts(connectionOptions());
    int status = 0;
    if (!parseSub(opts, args, name, "", 0, summary, &status)) return status;
    useTerminal(opts, true);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    std::string error;
    bool ok = which == 0   ? vx::boards::saveBoardImage(&error)
              : which == 1 ? vx::boards::restoreBoardDefaults(nullptr, &error)
                           : vx::boards::resetBoard(nullptr, &error);
    if (!ok) return fail(withReason(error));
    if (which == 0) {
        std::printf("Parameters saved in the non-volatile memory of the %s\n", vx::boards::hostBoardName());
        return kExitOk;
    }
    printDescription();
    return kExitOk;
}

int boardSave(const std::vector<std::string>& args) {
    return boardCommand(args, "board save",
                        "Saves the board's current parameter values in its non-volatile memory.", 0);
}
int boardDefaults(const std::vector<std::string>& args) {
    return boardCommand(args, "board defaults",
                        "Restores the board's default parameter values, waits for its reboot and reads them.",
                        1);
}
int boardReset(const std::vector<std::string>& args) {
    return boardCommand(args, "board reset",
                        "Resets the board, waits for its reboot and reads its parameters.", 2);
}

struct Sub {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};
const Sub kSubs[] = {
    {"read", boardRead, "read the parameter image, print its description (--out: save it)"},
    {"describe", boardDescribe, "print the description of a parameter file"},
    {"inverters", boardInverters, "report the inverters: serial number, model, input powers"},
    {"alarms", boardAlarms, "print the alarms (--reset: acknowledge one)"},
    {"gsm", boardGsm, "read the GSM modem's signal quality"},
    {"save", boardSave, "save the parameters in the board's non-volatile memory"},
    {"defaults", boardDefaults, "restore the default parameters (the board reboots)"},
    {"reset", boardReset, "reset the board"},
};

void printBoardUsage(FILE* to) {
    std::fprintf(
        to,
        "Usage: vendrix-cli board SUBCOMMAND [OPTIONS]\nThe energy-monitoring board (VT71a, NOD85).\n\n"
        "Subcommands:\n");
    for (auto& s : kSubs)
        std::fprintf(to, "  %-10s %s\n", s.name, s.summary);
    std::fprintf(to, "\nRun \"vendrix-cli board SUBCOMMAND --help\" for the options of a subcommand.\n");
}

}  // namespace

int cmdBoard(const std::vector<std::string>& args) {
    if (args.empty()) {
        printBoardUsage(stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        printBoardUsage(stdout);
        return kExitOk;
    }
    for (auto& s : kSubs)
        if (args[0] == s.name) return s.run(std::vector<std::string>(args.begin() + 1, args.end()));
    return usageError("board", "unknown subcommand " + args[0]);
}

}  // namespace vx::cli
