// vendrix-cli board: the energy-monitoring board (VT71a, NOD85) from a terminal: its
// parameter image, its inverters, alarms and GSM field, and its own commands.

#include <cstdio>
#include <cstring>
#include <string>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "boards/board_commands.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/board_settings.h"
#include "boards/board_text.h"
#include "boards/display_board.h"
#include "boards/display_rules.h"
#include "boards/display_setup.h"
#include "boards/gsm_field.h"
#include "boards/inverter_report.h"
#include "boards/vt1_file.h"
#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/logger_session.h"
#include "cli/subcommands.h"
#include "link/com.h"
#include "link/dialing.h"
#include "link/transaction.h"
#include "platform/atomic_file.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"
#include "ui/text_encoding.h"

namespace vx::cli {
namespace {

using vx::boards::boardCommError;

// Text of the program (CR LF line ends, Windows-1252) as the terminal wants it.
void printText(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    std::fputs(vx::ui::cp1252ToUtf8(out).c_str(), stdout);
}

// Finds the device and checks that it is an energy-monitoring board.
std::string connectBoard(const Options& opts, Connection& conn) {
    if (!conn.open(opts)) return conn.message();
    const std::string port = CommPort;
    if (Flag.modem == 1 && Stato_OPM != 2)
        return "The modem answers: give the plant's number with --modem NUMBER to reach the board behind it.";
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
    if (!parseSubcommand(opts, args, name, {"", 0, 0},
                         "Reads the board's parameter image and prints its text description.", true, &status))
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
    if (!parseSubcommand(opts, args, name, {"FILE.vt1", 1, 1},
                         "Prints the text description of a parameter file (no device is needed).", false,
                         &status))
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
    if (!parseSubcommand(
            opts, args, name, {"", 0, 0},
            "Asks every inverter the board's image names for its serial number, model and input powers.",
            true, &status))
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
    if (!parseSubcommand(opts, args, name, {"", 0, 0},
                         "Reads the board's alarm register and prints the alarms.", true, &status))
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
    if (!parseSubcommand(opts, args, name, {"", 0, 0},
                         "Asks the GSM modem on the board's display port 2 for its signal quality, once.",
                         true, &status))
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
    if (!parseSubcommand(opts, args, name, {"", 0, 0}, summary, true, &status)) return status;
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

// What set and write share once EE holds the new image: the changes (old -> new), the
// confirmation, the write with the displays' set-up, and the image read back.
int writeNewImage(const Options& opts, const ee_buf& before) {
    const std::vector<std::string> changes = vx::boards::boardChanges(before, EE);
    if (changes.empty()) {
        std::printf("Nothing to change: the %s already holds these values.\n", vx::boards::hostBoardName());
        return kExitOk;
    }
    std::printf("Changes:\n");
    for (const std::string& line : changes)
        std::printf("  %s\n", vx::ui::cp1252ToUtf8(line).c_str());
    if (opts.has("dry-run")) {
        std::printf("Dry run: nothing written.\n");
        return kExitOk;
    }
    terminal().setAnswer("Write the new parameter values",
                         opts.has("yes") ? vx::ui::Answer::Yes : vx::ui::Answer::No);
    if (vx::ui::message(
            nullptr,
            vx::ui::format("Write the new parameter values into the %s ?", vx::boards::hostBoardName()),
            "Question", vx::ui::Icon::Question, vx::ui::Buttons::YesNo) != vx::ui::Answer::Yes)
        return fail("Nothing written: confirm with --yes.");
    const ee_buf wanted = EE;
    vx::link::clearFailure();
    const bool written = write_to_VT71a() == 0;
    // The board may hold part of the image after a failed write: say which bytes differ.
    uint8_t back[EE_SIZE];
    if (!vx::boards::readBoardImage(back)) return fail(withReason(boardCommError()));
    int differing = 0;
    for (int k = 0; k < EE_SIZE; ++k)
        if (back[k] != wanted.buf[k]) {
            std::fprintf(stderr, "byte %d: written %02X, the board holds %02X\n", k, unsigned(wanted.buf[k]),
                         unsigned(back[k]));
            ++differing;
        }
    if (!written || differing)
        return fail(vx::ui::format("The %s does not hold the new values: %d %s.", vx::boards::hostBoardName(),
                                   differing, differing == 1 ? "byte differs" : "bytes differ"));
    if (Flag.NOD85 != 1) {
        Slave_board = SLAVE_NONE;
        if (detect_Slave_board() == 1) {
            const bool div100 = (EE.ram.Option & EE_OPT_ENERGY100) != 0;
            const int problems = terminal().problemsShown();
            vx::boards::setUpDisplayBoards(nullptr, div100);
            if (terminal().problemsShown() != problems)
                return fail("The parameters were written, but not every display board took its settings.");
        }
        // A board that restarted during the display boards' exchanges has lost the image,
        // which is not saved yet: it is read back once more before success is claimed.
        uint8_t last[EE_SIZE];
        if (!vx::boards::readBoardImage(last)) return fail(withReason(boardCommError()));
        if (std::memcmp(last, wanted.buf, EE_SIZE) != 0)
            return fail(vx::ui::format("The %s no longer holds the new values (did it restart ?).",
                                       vx::boards::hostBoardName()));
    }
    std::printf("Written and read back: the %s holds the new values (not yet saved: \"board save\").\n",
                vx::boards::hostBoardName());
    return kExitOk;
}

std::vector<OptionSpec> writeOptions() {
    return withConnection(
        {{0, "dry-run", false, false, "print the changes and stop before writing", ""},
         {'y', "yes", false, false, "answer the confirmation before writing (for scripts)", ""}});
}

std::string settingsUsage() {
    std::string s = "\nParameters:\n";
    for (const auto& b : vx::boards::boardSettings())
        s += vx::ui::format("  %-17s %s\n", b.name, b.values);
    return s;
}

int boardSet(const std::vector<std::string>& args) {
    const char* name = "board set";
    Options opts(writeOptions());
    for (auto& a : args)
        if (a == "--help" || a == "-h") {
            std::printf(
                "Usage: vendrix-cli board set NAME=VALUE... [OPTIONS]\nReads the board's image, "
                "sets the named parameters as the configuration window does, prints the changes, "
                "writes the image and reads it back.\n\nOptions:\n%s%s",
                opts.usage().c_str(), settingsUsage().c_str());
            return kExitOk;
        }
    if (!opts.parse(args)) return usageError(name, opts.error());
    if (opts.positional().empty()) return usageError(name, "NAME=VALUE is required");
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError(name, bad);
    std::vector<std::pair<std::string, std::string>> wanted;
    for (const std::string& a : opts.positional()) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0) return usageError(name, a + ": NAME=VALUE expected");
        wanted.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    }
    for (auto& [key, value] : wanted) {
        bool known = false;
        for (const auto& b : vx::boards::boardSettings())
            known = known || key == b.name;
        if (!known) return usageError(name, "unknown parameter " + key + " (see --help)");
    }
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (std::string error = readImage(); !error.empty()) return fail(error);
    const ee_buf before = EE;
    for (auto& [key, value] : wanted)
        if (std::string why = vx::boards::applyBoardSetting(nullptr, key, value); !why.empty()) {
            std::fprintf(stderr, "%s\n", vx::ui::cp1252ToUtf8(why).c_str());
            return kExitUsage;
        }
    return writeNewImage(opts, before);
}

int boardWrite(const std::vector<std::string>& args) {
    const char* name = "board write";
    Options opts(writeOptions());
    int status = 0;
    if (!parseSubcommand(
            opts, args, name, {"FILE.vt1", 1, 1},
            "Writes a parameter file into the board: checks its values, prints the changes, writes "
            "and reads the image back.",
            false, &status))
        return status;
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError(name, bad);
    const std::string path = opts.positional()[0];
    // The file first: a bad file needs no board.
    const ee_buf kept = EE;
    switch (vx::boards::readParameterFile(path)) {
        case VT1_LOADED:
            break;
        case VT1_NOT_VALID:
            return fail(path + ": File not valid !");
        default:
            return fail(path + ": File not found !");
    }
    const ee_buf fromFile = EE;
    EE = kept;
    if (std::string why = vx::boards::checkBoardImage(fromFile); !why.empty()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), vx::ui::cp1252ToUtf8(why).c_str());
        return kExitUsage;
    }
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (std::string error = readImage(); !error.empty()) return fail(error);
    const ee_buf before = EE;
    EE = fromFile;
    return writeNewImage(opts, before);
}

// One display board as its window shows it.
std::string displayText(int cd, uint8_t version) {
    const DisplayForm f = print_VT71h(cd);
    std::string s = vx::ui::format("Display %d (rev.%X.%X): digits %s, decimal point %s, brightness %s", cd,
                                   unsigned(version >> 4), unsigned(version & 0x0F), f.ndigit.c_str(),
                                   f.dpoint.c_str(), f.dlux.c_str());
    s += vx::ui::format(", baud rate %s", Lista_Baud_Rate[f.baud]);
    s += std::string(", display ") + (f.displayOff ? "OFF" : "on") + (f.autoBright ? ", auto bright" : "") +
         (f.blinking ? ", blinking" : "");
    if (Slave_board == SLAVE_VT75H) {
        s += vx::ui::format(", title colour %s, number colour %s, mode %s",
                            Lista_Colore_Grandezza[f.titleColor], Lista_Colore_Grandezza[f.numberColor],
                            Lista_Modi_Operativi[f.mode]);
        s += ", scan " + (f.scanOff ? std::string("OFF") : f.scan + " s") + (f.nightOff ? ", night OFF" : "");
    }
    return s + "\n";
}

int boardDisplays(const std::vector<std::string>& args) {
    const char* name = "board displays";
    Options opts(withConnection({{'o', "out", true, false, "also write the report into a file", "FILE"}}));
    int status = 0;
    if (!parseSubcommand(opts, args, name, {"", 0, 0},
                         "Finds the display boards behind the board and prints the settings of each.", true,
                         &status))
        return status;
    if (opts.has("out") && opts.value("out").empty())
        return usageError(name, "--out: the file name is empty");
    useTerminal(opts);
    Connection conn;
    if (std::string error = connectBoard(opts, conn); !error.empty()) return fail(error);
    if (detect_Slave_board() != 1) return fail(withReason("The display boards could not be detected."));
    static const char* const kFamilies[] = {"none", "VT71h", "VT73h", "VT75h"};
    std::string report = vx::ui::format("Display boards: %s\n", kFamilies[Slave_board & 3]);
    int found = 0;
    for (int cd = 0; cd < DISPLAY_BOARDS && Slave_board != SLAVE_NONE; ++cd) {
        // As the display window sees it: no version (or version 0) is no board there.
        uint8_t version = 0;
        if (readDisplayVersion(cd, &version) != 0) version = 0;
        if (version == 0) {
            report += vx::ui::format("Display %d: I2C Slave Board not found !\n", cd);
            continue;
        }
        initParcfgh();
        if (loadParcfgh(cd) != 0)
            return fail(
                withReason(vx::ui::format("Display %d: Communication error with I2C Slave Board !", cd)));
        report += displayText(cd, version);
        ++found;
    }
    std::fputs(vx::ui::cp1252ToUtf8(report).c_str(), stdout);
    if (opts.has("out")) {
        std::string why;
        if (!vx::platform::writeFileAtomically(opts.value("out"), report.data(), report.size(), &why))
            return fail("The report was not written: " + opts.value("out") + ": " + why);
        std::printf("%s: report written (%d display boards)\n", opts.value("out").c_str(), found);
    }
    return kExitOk;
}

const Subcommand kSubs[] = {
    {"read", boardRead, "read the parameter image, print its description (--out: save it)"},
    {"describe", boardDescribe, "print the description of a parameter file"},
    {"inverters", boardInverters, "report the inverters: serial number, model, input powers"},
    {"alarms", boardAlarms, "print the alarms (--reset: acknowledge one)"},
    {"set", boardSet, "set parameters by name, print the changes, write and read back"},
    {"write", boardWrite, "write a parameter file into the board and read it back"},
    {"displays", boardDisplays, "find the display boards and print their settings"},
    {"gsm", boardGsm, "read the GSM modem's signal quality"},
    {"save", boardSave, "save the parameters in the board's non-volatile memory"},
    {"defaults", boardDefaults, "restore the default parameters (the board reboots)"},
    {"reset", boardReset, "reset the board"},
};

}  // namespace

int cmdBoard(const std::vector<std::string>& args) {
    return runSubcommand("board", "The energy-monitoring board (VT71a, NOD85).", kSubs, args);
}

}  // namespace vx::cli
