#include "shell/port_scan.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cstdlib>

#include "link/com.h"
#include "shell/flags.h"
#include "ui/backend.h"

std::vector<std::string> Porte;
int32_t Nport;

namespace vx::shell {

std::vector<std::string> scanPortNames() {
    std::vector<std::string> names;
    if (const char* env = std::getenv("VENDRIX_PORTS")) {
#ifdef _WIN32
        const char sep = ';';
#else
        const char sep = ':';
#endif
        std::string list(env);
        size_t start = 0;
        while (start <= list.size() && names.size() < size_t(NCOM)) {
            size_t end = list.find(sep, start);
            if (end == std::string::npos) end = list.size();
            if (end > start) names.push_back(list.substr(start, end - start));
            start = end + 1;
        }
        return names;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.systemLocation().toStdString());
    std::sort(names.begin(), names.end());
    if (names.size() > size_t(NCOM)) names.resize(NCOM);
    return names;
}

void setLongTimeout() {
    Timeout_rx = TMO_value != 0 ? int32_t(TMO_value) : TO_RX_SLOW;
}

std::string notFoundText() {
    return vx::ui::format("%s\r\n\r\n(BaudRate= %u)",
                          Flag.modem == 1 ? "Modem not found !" : "Device not found !", BR_value);
}

int autoScanPorts(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        PortHandle h = openPort(name.c_str());
        if (!h) continue;
        Porte.push_back(name);
        ++Nport;
        initCOM(h);
        if (test_hCom(h) == 1) {
            setLongTimeout();
            hCom = h;
            setCommPort(name.c_str());
            return 1;
        }
        restoreCOM(h);
        closePort(h);
    }
    setLongTimeout();
    return 0;
}

int tryPortManually(const std::string& name, void* owner) {
    setCommPort(name.c_str());
    hCom = openPort(CommPort);
    initCOM(hCom);
    if (test_hCom(hCom) == 1) return 1;
    restoreCOM(hCom);
    closePort(hCom);
    hCom = nullptr;
    vx::ui::message(owner, notFoundText(), "COM Error", vx::ui::Icon::Error);
    return 0;
}

}  // namespace vx::shell
