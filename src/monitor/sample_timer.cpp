#include "monitor/sample_timer.h"

#include <cstdio>

#include "link/com.h"
#include "link/transaction.h"
#include "session/session_state.h"
#include "ui/backend.h"

namespace vx::monitor {

uint16_t clampSaTmr(const std::string& typed) {
    // An optional sign, then digits; counting stops once the value is out of range.
    size_t i = 0;
    bool negative = false;
    while (i < typed.size() && typed[i] == ' ')
        ++i;
    if (i < typed.size() && (typed[i] == '-' || typed[i] == '+')) negative = typed[i++] == '-';
    uint32_t v = 0;
    for (; i < typed.size() && typed[i] >= '0' && typed[i] <= '9'; ++i)
        if (v <= 65535) v = v * 10 + uint32_t(typed[i] - '0');
    if (negative) return 0;
    return uint16_t(v > 65535 ? 65535 : v);
}

bool applySaTmr(vx::ui::WindowHandle owner, uint16_t seconds, bool* answered) {
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATST%04X\r", unsigned(seconds));
    {
        vx::link::LinkBusy busy;
        bool ok = vx::link::request(cmd);
        if (answered) *answered = ok;
    }
    if (seconds == 0) return false;
    if ((StatusReg & 0x10) == 0)
        vx::ui::message(
            owner,
            "1) Activate the nodes with WX2x devices to be modified \r\n2) After all nodes have been "
            "recognized invoke the test procedure\r\n3) Turn off all nodes and return to the "
            "ASSIGNMENT status",
            "Info", vx::ui::Icon::Information);
    else
        vx::ui::message(owner,
                        "Execute the test routine (P button) and wait for the return to ASSIGNMENT status",
                        "Info", vx::ui::Icon::Information);
    return true;
}

}  // namespace vx::monitor
