#include "cli/connection.h"

#include "link/com.h"
#include "shell/command_line.h"
#include "shell/flags.h"
#include "shell/port_scan.h"
#include "simhost/simulated_device.h"
#include "ui/backend.h"

namespace vx::cli {

std::vector<OptionSpec> connectionOptions() {
    return {
        {'p', "port", true, false, "serial port to use (else the ports are scanned)", "PORT"},
        {0, "simulate", true, true,
         "use the built-in simulated device (qm41, qm42, qm43, vt71, nod85, qm43boot, modem, silent; "
         "\",key=value\" settings may follow)",
         "PROFILE"},
        {'b', "baud", true, false, "baud rate (default 256000; 19200 with -m)", "BAUD"},
        {'k', "comflow", true, false, "1 holds DTR and RTS on", "N"},
        {'m', "modem", false, false, "the port leads to a dial-up modem"},
        {'t', "timeout", true, false, "inactivity time-out in ms (default 2000)", "MS"},
        {'l', "plain", false, false, "read flash pages piece by piece, never streamed"},
        {0, "seed", true, false, "seed of the simulated session (with --simulate)", "N"},
    };
}

Connection::Connection() = default;

Connection::~Connection() {
    closePort(hCom);
    hCom = nullptr;
}

bool Connection::open(const Options& opts) {
    // The switches act in the desktop program's order: -b, -k and -m before the port.
    if (opts.has("baud")) {
        auto v = parseUnsigned(opts.value("baud"));
        uint32_t before = BR_value;
        if (v) doCMD('b', opts.value("baud").c_str());
        if (!v || (BR_value == before && *v != before)) {
            message_ = "unsupported baud rate " + opts.value("baud") +
                       " (1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000)";
            return false;
        }
    }
    if (opts.has("comflow")) doCMD('k', opts.value("comflow").c_str());
    if (opts.has("modem")) {
        uint32_t chosen = BR_value;
        doCMD('m', "");
        if (opts.has("baud")) BR_value = chosen;
    }
    if (opts.has("timeout")) {
        auto v = parseUnsigned(opts.value("timeout"));
        if (!v) return message_ = "invalid time-out " + opts.value("timeout"), false;
        TMO_value = uint32_t(*v);
    }
    if (opts.has("plain")) doCMD('l', "");

    std::string port = opts.value("port");
    if (opts.has("simulate")) {
        std::string err;
        std::string settings = opts.value("simulate");
        if (opts.has("seed")) settings += (settings.empty() ? "seed=" : ",seed=") + opts.value("seed");
        sim_ = vx::simhost::SimulatedDevice::start(settings, err);
        if (!sim_) return message_ = err, false;
        port = sim_->portPath();
    }
    if (!port.empty()) {
        setCommPort(port.c_str());
        hCom = openPort(CommPort);
        if (!hCom) {
            message_ = vx::ui::format("%s %s !", "COM port can not be opened", CommPort);
            return false;
        }
        initCOM(hCom);
        vx::shell::setLongTimeout();
        if (test_hCom(hCom) == 1) return true;
        message_ = vx::shell::notFoundText();
        return false;
    }
    auto names = vx::shell::scanPortNames();
    if (vx::shell::autoScanPorts(names) == 1) return true;
    message_ = Nport == 0 ? "No COM port found !\r\n\r\nQuit the program and verify the serial connection"
                          : vx::shell::notFoundText();
    return false;
}

}  // namespace vx::cli
