#include "boards/vt71_params.h"

#include <cstdio>

#include "link/com.h"
#include "link/parsers.h"

int get_VT71_par(int nbyte, int ofs, uint32_t* value) {
    if (!value || nbyte < 0 || nbyte > 4) return 0;
    *value = 0;
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%04X\r", unsigned(ofs) & 0xFFFFu);
    if (!vx::link::requestOk(cmd)) return 0;
    for (int i = 0; i < nbyte; ++i) {
        // The board steps its read address after each byte.
        if (!vx::link::request("ATEE\r")) return 0;
        if (iRx < 2) return vx::link::markReply(vx::link::TxError::BadReply), 0;
        *value |= uint32_t(str16_to_num(Rx_buf, 2) & 0xFF) << (8 * i);
    }
    return 1;
}

int vx::boards::readInverterSetup(vx::ui::WindowHandle owner, uint8_t comReg2[2]) {
    uint32_t word = 0;
    if (!get_VT71_par(2, 0x13, &word)) {
        vx::ui::message(owner, "No response from datalogger !", "COM Error", vx::ui::Icon::Error);
        return 0;
    }
    comReg2[0] = uint8_t(word & 0xFF);
    comReg2[1] = uint8_t(word >> 8);
    return 1;
}
