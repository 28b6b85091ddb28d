#include "boards/inverter_report.h"

#include <string>

#include "boards/inverter_request.h"
#include "boards/powerone_frame.h"
#include "link/transaction.h"
#include "ui/text_report.h"

using namespace vx::boards;

InverterRange vx::boards::inverterRange(uint16_t comReg2) {
    const unsigned n = comReg2 & 0xFFu, first = comReg2 >> 8;
    // Addresses are one byte: a range past 255 would ask address 0 and up again.
    return {first, n <= 256 - first ? n : 256 - first};
}

namespace {

enum : int { kAnswered = 0, kAbort = 3 };

// One request; the answer's data bytes in pkt when it returns kAnswered.
int ask(vx::ui::WindowHandle owner, unsigned address, uint8_t command, uint8_t param, uint8_t* pkt) {
    poweroneRequest(uint8_t(address), command, param, pkt);
    return get_dati_powerone(owner, pkt);
}

// One input power: its value added to the total, or "Error". False when aborted.
bool power(const InverterReportView& v, unsigned address, uint8_t type, double& total) {
    uint8_t pkt[POWERONE_REQ];
    const int r = ask(v.owner, address, POWERONE_MEASURE, type, pkt);
    if (r == kAbort) return false;
    if (r != kAnswered) return printf_API(v.text, "Error"), true;
    const float w = poweroneValue(pkt);
    printf_API(v.text, "%1.0f W", double(w));
    total += double(w);
    return true;
}

bool inverter(const InverterReportView& v, unsigned address, double& total) {
    uint8_t pkt[POWERONE_REQ];
    printf_API(v.text, "(%03u)-SN:", address);
    int r = ask(v.owner, address, POWERONE_SERIAL, 0, pkt);
    if (r == kAbort) return false;
    if (r == kAnswered)
        printf_API(v.text, "%s-", reinterpret_cast<const char*>(pkt));
    else
        printf_API(v.text, "Error-");
    r = ask(v.owner, address, POWERONE_VERSION, 0, pkt);
    if (r == kAbort) return false;
    printf_API(v.text, "%s", r == kAnswered ? auroraModelText(pkt[2]) : "Error");
    printf_API(v.text, "\r\n- Pin1: ");
    if (!power(v, address, POWERONE_PIN1, total)) return false;
    printf_API(v.text, "\r\n- Pin2: ");
    if (!power(v, address, POWERONE_PIN2, total)) return false;
    printf_API(v.text, "\r\n\r\n");
    return true;
}

}  // namespace

int refresh_dati_inv(const InverterReportView& view, uint16_t comReg2) {
    vx::link::LinkBusy busy;
    vx::ui::backend().clearText(view.text);
    vx::ui::backend().clearText(view.total);
    const InverterRange range = inverterRange(comReg2);
    printf_API(view.text, "%s: %u\r\n", "Number of inverters", range.count);
    if (range.count > 0)
        printf_API(view.text, "%s: %u...%u\r\n", "Address range", range.first, range.first + range.count - 1);
    printf_API(view.text, "%s\r\n", std::string(37, '-').c_str());
    double total = 0;
    for (unsigned a = range.first; a < range.first + range.count; ++a)
        if (!inverter(view, a, total)) return 0;
    printf_API(view.total, "Pin: %1.0f W", total);
    return 1;
}
