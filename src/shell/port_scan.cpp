#include "shell/port_scan.h"

#include <cstdlib>

#include "link/com.h"
#include "platform/signals.h"
#include "state/flags.h"
#include "ui/backend.h"

std::vector<vx::link::PortInfo> Porte;
int32_t Nport;

namespace vx::shell {

std::vector<vx::link::PortInfo> scanPortList() {
    std::vector<vx::link::PortInfo> ports;
    if (const char* env = std::getenv("VENDRIX_PORTS")) {
#ifdef _WIN32
        const char sep = ';';
#else
        const char sep = ':';
#endif
        std::string list(env);
        size_t start = 0;
        while (start <= list.size() && ports.size() < size_t(NCOM)) {
            size_t end = list.find(sep, start);
            if (end == std::string::npos) end = list.size();
            if (end > start) ports.push_back({list.substr(start, end - start), ""});
            start = end + 1;
        }
        return ports;
    }
    ports = vx::link::platformPorts();  // ordered first, then cut to the limit
    if (ports.size() > size_t(NCOM)) ports.resize(NCOM);
    return ports;
}

void setLongTimeout() {
    Timeout_rx = TMO_value != 0 ? int32_t(TMO_value) : TO_RX_SLOW;
}

std::string notFoundText() {
    return vx::ui::format("%s\r\n\r\n(BaudRate= %u)",
                          Flag.modem == 1 ? "Modem not found !" : "Device not found !", BR_value);
}

std::string portFailureLine() {
    const vx::link::PortFailure& f = vx::link::lastPortFailure();
    return f.kind == vx::link::PortFailure::Kind::None ? std::string() : f.text;
}

PortHandle openConfiguredPort(const char* name) {
    PortHandle h = openPort(name);
    if (h && initCOM(h) != 1) {
        closePort(h);
        h = nullptr;
    }
    return h;
}

int autoScanPorts(const std::vector<vx::link::PortInfo>& ports) {
    for (const vx::link::PortInfo& port : ports) {
        if (vx::platform::interruptRequested()) break;
        PortHandle h = openPort(port.name.c_str());
        if (!h) continue;
        Porte.push_back(port);
        ++Nport;
        // A port that refuses the rate is listed but not tried: nothing can answer on it.
        if (initCOM(h) == 1 && test_hCom(h) == 1) {
            setLongTimeout();
            hCom = h;
            setCommPort(port.name.c_str());
            return 1;
        }
        restoreCOM(h);
        closePort(h);
    }
    setLongTimeout();
    return 0;
}

int probePort(const std::string& name, std::string& failureText) {
    setCommPort(name.c_str());
    hCom = openPort(CommPort);
    bool configured = hCom && initCOM(hCom) == 1;
    if (configured && test_hCom(hCom) == 1) return 1;
    std::string reason = hCom && configured ? std::string() : portFailureLine();
    restoreCOM(hCom);
    closePort(hCom);
    hCom = nullptr;
    failureText = notFoundText();
    if (!reason.empty()) failureText += "\r\n\r\n" + reason;
    return 0;
}

int tryPortManually(const std::string& name, void* owner) {
    std::string text;
    if (probePort(name, text) == 1) return 1;
    vx::ui::message(owner, text, "COM Error", vx::ui::Icon::Error);
    return 0;
}

}  // namespace vx::shell
