#include "shell/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/com.h"
#include "link/serial_port.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "ui/backend.h"

namespace {

uint32_t toUnsigned(const char* s) {
    return uint32_t(std::strtoul(s, nullptr, 10));
}

// "-p": the named port is opened at once with the settings as they stand now.
void openNamedPort(const char* name) {
    setCommPort(name);
    hCom = vx::shell::openConfiguredPort(CommPort);
    if (!hCom) {
        std::string text = vx::ui::format("%s %s !\r\n%s", "COM port can not be opened", CommPort,
                                          "An automatic COM scan will be executed");
        std::string reason = vx::shell::portFailureLine();
        if (!reason.empty()) text += "\r\n\r\n" + reason;
        vx::ui::message(nullptr, text, "Warning", vx::ui::Icon::Warning);
        return;
    }
    Flag.COM_ext = 1;
    int32_t saved = Timeout_rx;
    Timeout_rx = TO_RX_FAST;
    // A first look at the version; "ERR" is no firmware release.
    if (sendCOMMAND(hCom, "ATVR\r", 13) && !vx::link::replyIsErr()) {
        std::snprintf(FW_release, sizeof FW_release, "%.4s", rxText());
        if (Rx_buf[0] == '7') Flag.QM42 = 1;
        if (Rx_buf[0] == 'B') Flag.QM42 = Flag.QM43 = 1;
    }
    Timeout_rx = saved;
}

// A port is named by a path on most systems (/dev/serial/by-id/...), so -p takes names of
// any platform's length; every other argument is a short number.
size_t argumentLimit(char cmd) {
    return cmd == 'p' ? PORTNAME_MAX - 1 : CMD_ARG_MAX;
}

}  // namespace

void doCMD(char cmd, const char* szBuf) {
    switch (cmd) {
        case 'b': {
            uint32_t v = toUnsigned(szBuf);
            for (uint32_t r : vx::link::kBaudRates)
                if (r == v && *szBuf) BR_value = v;
            break;
        }
        case 'k':
            Flag.comflow = int8_t(std::atoi(szBuf));
            break;
        case 'l':
            Flag.fast_read = 0;
            break;
        case 'm':
            Flag.modem = 1;
            BR_value = 19200;
            break;
        case 'o': {
            int v = std::atoi(szBuf);
            Flag.comma = v & 1;
            Flag.file_format = (v >> 1) & 1;
            break;
        }
        case 'p':
            openNamedPort(szBuf);
            break;
        case 't':
            TMO_value = toUnsigned(szBuf);
            break;
        default:
            break;
    }
}

void readCMD(const char* lpCmdLine) {
    enum class State { Between, SwitchLetter, SwitchArg, PlainName, QuotedName } st = State::Between;
    char arg[PORTNAME_MAX] = {};
    size_t argLen = 0;
    char name[FILE_NAME_MAX + 1] = {};
    size_t nameLen = 0;
    char cmd = 0;
    auto storeName = [&] {
        name[nameLen] = 0;
        std::snprintf(Data_file, sizeof Data_file, "%s", name);
    };
    const char* p = lpCmdLine ? lpCmdLine : "";
    for (;; ++p) {
        char c = *p;
        switch (st) {
            case State::Between:
                if (c == 0) return;
                if (c == ' ') break;
                nameLen = 0;
                if (c == '-') {
                    st = State::SwitchLetter;
                } else if (c == '"') {
                    st = State::QuotedName;
                } else {
                    name[nameLen++] = c;
                    st = State::PlainName;
                }
                break;
            case State::SwitchLetter:
                if (c == 0) return;
                if (c == ' ') break;
                cmd = c;
                argLen = 0;
                st = State::SwitchArg;
                break;
            case State::SwitchArg:
                if (c == ' ' || c == 0) {
                    arg[argLen] = 0;
                    doCMD(cmd, arg);
                    if (c == 0) return;
                    st = State::Between;
                } else if (argLen < argumentLimit(cmd)) {
                    arg[argLen++] = c;  // longer arguments are cut
                }
                break;
            case State::PlainName:
            case State::QuotedName:
                if (c == 0 || (st == State::PlainName && c == ' ') || (st == State::QuotedName && c == '"')) {
                    storeName();
                    if (c == 0) return;
                    st = State::Between;
                } else if (nameLen < FILE_NAME_MAX) {
                    name[nameLen++] = c;
                }
                break;
        }
    }
}

std::string joinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        bool quote = std::strchr(argv[i], ' ') != nullptr && argv[i][0] != '-';
        if (quote) line += '"';
        line += argv[i];
        if (quote) line += '"';
    }
    return line;
}
