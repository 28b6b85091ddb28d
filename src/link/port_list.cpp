#include "link/port_list.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>

namespace vx::link {

bool portNameLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(uint8_t(a[i])) && std::isdigit(uint8_t(b[j]))) {
            // Compare the two numbers: leading zeros aside, the longer is the larger.
            size_t i0 = i, j0 = j;
            while (i < a.size() && std::isdigit(uint8_t(a[i]))) ++i;
            while (j < b.size() && std::isdigit(uint8_t(b[j]))) ++j;
            size_t si = a.find_first_not_of('0', i0), sj = b.find_first_not_of('0', j0);
            si = si > i ? i : si;
            sj = sj > j ? j : sj;
            size_t li = i - si, lj = j - sj;
            if (li != lj) return li < lj;
            int c = a.compare(si, li, b, sj, lj);
            if (c != 0) return c < 0;
            if (i - i0 != j - j0) return i - i0 < j - j0;  // "1" before "01"
            continue;
        }
        if (a[i] != b[j]) return uint8_t(a[i]) < uint8_t(b[j]);
        ++i, ++j;
    }
    return a.size() - i < b.size() - j;
}

void sortPorts(std::vector<PortInfo>& ports) {
    std::stable_sort(ports.begin(), ports.end(),
                     [](const PortInfo& x, const PortInfo& y) { return portNameLess(x.name, y.name); });
}

std::vector<PortInfo> platformPorts() {
    std::vector<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.name = info.systemLocation().toLocal8Bit().toStdString();  // a path, as the system spells it
        QString d = info.description();
        if (!info.manufacturer().isEmpty() && !d.contains(info.manufacturer()))
            d = d.isEmpty() ? info.manufacturer() : d + QStringLiteral(" (") + info.manufacturer() + ')';
        p.description = d.toLatin1().toStdString();  // the program's single-byte text
        ports.push_back(std::move(p));
    }
    sortPorts(ports);
    return ports;
}

}  // namespace vx::link
