#include "cli/connection.h"

#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "link/serial_port.h"
#include "link/transaction.h"
#include "shell/command_line.h"
#include "shell/port_scan.h"
#include "state/flags.h"
#include "ui/backend.h"
#include "ui/terminal_backend.h"

#ifdef VX_HAVE_SIMULATOR
#include "simhost/simulated_device.h"
#endif

namespace vx::cli {
namespace {

std::string baudList() {
    std::string out;
    for (uint32_t r : vx::link::kBaudRates)
        out += (out.empty() ? "" : ", ") + std::to_string(r);
    return out;
}

bool gLeftOnLine;

// A telephone number the modem can dial: digits and the dial characters * # , W P.
bool isDialString(const std::string& s) {
    bool digit = false;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (!std::strchr("*#,+WPwp", c))
            return false;
    }
    return digit;
}

// The message of a transaction that failed, as a line to add ("" when none).
std::string reasonLine() {
    std::string r = vx::link::lastFailureText();
    return r.empty() ? r : "\n(" + r + ")";
}

}  // namespace

std::vector<OptionSpec> connectionOptions() {
    return {
        {'p', "port", true, false, "serial port to use (else the ports are scanned)", "PORT"},
#ifdef VX_HAVE_SIMULATOR
        {0, "simulate", true, true,
         "use the built-in simulated device (qm41, qm42, qm43, vt71, nod85, qm43boot, modem, silent; "
         "\",key=value\" settings may follow)",
         "PROFILE"},
        {0, "seed", true, false, "seed of the simulated session (with --simulate)", "N"},
#endif
        {'b', "baud", true, false, "baud rate (default 256000; 19200 with -m)", "BAUD"},
        {'k', "comflow", true, false, "1 holds DTR and RTS on, 0 off (default)", "N"},
        {'m', "modem", true, true,
         "the port leads to a dial-up modem; with a NUMBER, dial it and work with the device behind the "
         "modem (hung up afterwards)",
         "NUMBER", isDialString},
        {'t', "timeout", true, false, "inactivity time-out in ms, 1 to 600000 (default 2000)", "MS"},
        {'l', "plain", false, false, "read flash pages piece by piece, never streamed"},
        {0, "retries", true, false, "times a failed step is tried again before giving up (default 2)", "N"},
    };
}

std::string checkConnectionOptions(const Options& opts) {
    if (opts.has("baud")) {
        auto v = parseUnsigned(opts.value("baud"));
        bool listed = false;
        for (uint32_t r : vx::link::kBaudRates)
            listed = listed || (v && *v == r);
        if (!listed) return "--baud " + opts.value("baud") + ": one of " + baudList();
    }
    if (opts.has("comflow")) {
        auto v = parseUnsigned(opts.value("comflow"));
        if (!v || *v > 1) return "--comflow " + opts.value("comflow") + ": 0 (DTR and RTS off) or 1 (on)";
    }
    if (opts.has("timeout")) {
        auto v = parseUnsigned(opts.value("timeout"));
        if (!v || *v < 1 || *v > 600000)
            return "--timeout " + opts.value("timeout") + ": from 1 to 600000 ms";
    }
    if (opts.has("retries")) {
        auto v = parseUnsigned(opts.value("retries"));
        if (!v || *v > 100) return "--retries " + opts.value("retries") + ": from 0 to 100";
    }
    if (opts.has("port") && opts.value("port").empty()) return "--port: the port name is empty";
    if (const std::string n = opts.value("modem"); !n.empty() && (n.size() > DIMNTEL || !isDialString(n)))
        return "--modem " + n + ": a telephone number of at most 15 characters (digits and * # , + W P)";
#ifdef VX_HAVE_SIMULATOR
    if (opts.has("simulate") && opts.has("port")) return "--simulate and --port: use one of them";
    if (opts.has("seed") && !opts.has("simulate")) return "--seed: only with --simulate";
    std::string err;
    if (opts.has("simulate") && !vx::simhost::SimulatedDevice::checkSettings(opts.value("simulate"), err))
        return "--simulate=" + opts.value("simulate") + ": " + err;
#endif
    return {};
}

vx::ui::TerminalBackend& terminal() {
    static vx::ui::TerminalBackend t;
    return t;
}

void useTerminal(const Options& opts, bool progress) {
    vx::ui::TerminalBackend& t = terminal();
    t.setProgress(progress);
    t.setRetries(opts.has("retries") ? int(*parseUnsigned(opts.value("retries"))) : 2);
    vx::ui::setBackend(&t);
}

Connection::Connection() = default;

bool modemLeftOnLine() {
    return gLeftOnLine;
}

Connection::~Connection() {
    // A call is hung up whatever became of the command, Ctrl+C included.
    if (Stato_OPM != 0 && hCom) {
        if (vx::link::hangUp(hCom) != 1) {
            gLeftOnLine = true;
            fail("The modem did not confirm the hang-up: the telephone line may still be connected.");
        }
    }
    closePort(hCom);
    hCom = nullptr;
}

bool Connection::prepare(const Options& opts, std::string& port) {
    // The switches act in the desktop program's order: -b, -k and -m before the port.
    if (opts.has("baud")) doCMD('b', opts.value("baud").c_str());
    if (opts.has("comflow")) doCMD('k', opts.value("comflow").c_str());
    if (opts.has("modem")) {
        uint32_t chosen = BR_value;
        doCMD('m', "");
        if (opts.has("baud")) BR_value = chosen;
    }
    if (opts.has("timeout")) TMO_value = uint32_t(*parseUnsigned(opts.value("timeout")));
    if (opts.has("plain")) doCMD('l', "");

    port = opts.value("port");
#ifdef VX_HAVE_SIMULATOR
    if (opts.has("simulate")) {
        std::string err;
        std::string settings = opts.value("simulate");
        if (opts.has("seed")) settings += (settings.empty() ? "seed=" : ",seed=") + opts.value("seed");
        sim_ = vx::simhost::SimulatedDevice::start(settings, err);
        if (!sim_) return message_ = "Simulated device: " + err, false;
        port = sim_->portPath();
    }
#endif
    return true;
}

bool Connection::open(const Options& opts) {
    std::string port;
    if (!prepare(opts, port)) return false;
    if (!port.empty()) {
        setCommPort(port.c_str());
        hCom = vx::shell::openConfiguredPort(CommPort);
        if (!hCom) {
            message_ = vx::ui::format("%s %s !", "COM port can not be opened", CommPort);
            std::string reason = vx::shell::portFailureLine();
            if (!reason.empty()) message_ += "\n" + reason;
            return false;
        }
        vx::shell::setLongTimeout();
        if (test_hCom(hCom) == 1)
            return Flag.modem == 1 && opts.has("modem") ? dial(opts.value("modem")) : true;
        message_ = vx::shell::notFoundText() + reasonLine();
        return false;
    }
    if (vx::shell::autoScanPorts(vx::shell::scanPortList()) == 1)
        return Flag.modem == 1 && opts.has("modem") ? dial(opts.value("modem")) : true;
    message_ = Nport == 0 ? "No COM port found !\r\n\r\nQuit the program and verify the serial connection"
                          : vx::shell::notFoundText();
    return false;
}

// Dials the number (none: the modem alone is the device) and identifies the device behind
// the modem as the remote-connection window's "Read Data" does.
bool Connection::dial(const std::string& number) {
    if (number.empty()) return true;
    std::snprintf(reinterpret_cast<char*>(Ntel), sizeof Ntel, "%.*s", DIMNTEL, number.c_str());
    vx::link::clearFailure();
    if (vx::link::dialRemote(hCom, number.c_str(), kDialWaitMs) != 1) {
        if (vx::link::dialInterrupted()) return message_ = "Dialling stopped.", false;
        if (Modem_fback == MODEM_NO_CODE && Stato_OPM == 0)
            return message_ = vx::ui::format("The modem gave no result for %s within %u s.", number.c_str(),
                                             unsigned(kDialWaitMs / 1000)),
                   false;
        message_ = "The call to " + number + " did not connect: " + vx::link::modemResultText(Modem_fback);
        return false;
    }
    if (vx::link::identifyRemote(hCom) == 1) return true;
    message_ = std::string("Datalogger not found !") + reasonLine();
    return false;
}

}  // namespace vx::cli
