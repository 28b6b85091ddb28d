#include "boards/inverter_request.h"

#include "boards/powerone_crc.h"
#include "boards/powerone_frame.h"
#include "link/com.h"

using namespace vx::boards;

int get_dati_powerone(vx::ui::WindowHandle hwndDlg, uint8_t* pkt) {
    // The request is kept apart from the answer, so a retry after a garbled answer sends
    // the same request again and not the garbage.
    uint8_t req[POWERONE_REQ];
    for (int i = 0; i < 8; ++i)
        req[i] = pkt[i];
    crc_powerone(req, 8);
    const std::string cmd = poweroneCommand(req);
    for (;;) {
        uint8_t ans[POWERONE_ANS];
        if (sendCOMMAND(hCom, cmd.c_str(), 13)) {
            if (poweroneDecode(Rx_buf, size_t(iRx), ans)) {
                for (int i = 0; i < POWERONE_DATA; ++i)
                    pkt[i] = ans[i];
                pkt[POWERONE_DATA] = 0;
                pkt[POWERONE_DATA + 1] = 0;
                return 0;
            }
            vx::link::markReply(vx::link::TxError::BadReply);
        }
        const auto a =
            vx::ui::message(hwndDlg, vx::ui::format("%s %u", "Inverter reading error", unsigned(req[0])),
                            "Com Error", vx::ui::Icon::Error, vx::ui::Buttons::AbortRetryIgnore);
        if (a == vx::ui::Answer::Retry) continue;
        return a == vx::ui::Answer::Ignore ? 5 : 3;
    }
}
