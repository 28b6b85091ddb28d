#include "boards/vt71_params.h"

#include <cstdio>

#include "boards/board_exchange.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "link/com.h"

int get_VT71_par(int nbyte, int ofs, uint32_t* value) {
    if (!value || nbyte < 1 || nbyte > 4 || ofs < 0 || ofs + nbyte > EE_SIZE) return 0;
    *value = 0;
    vx::link::LinkBusy busy;
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%04X\r", unsigned(ofs));
    uint8_t bytes[4] = {};
    const bool read = vx::boards::withRetries([&] {
        if (!vx::link::requestOk(cmd)) return false;
        // The board steps its read address after each byte.
        for (int i = 0; i < nbyte; ++i) {
            if (!vx::link::request("ATEE\r")) return false;
            if (!vx::boards::decodeByteReply(Rx_buf, iRx, &bytes[i]))
                return vx::link::markReply(vx::link::TxError::BadReply), false;
        }
        return true;
    });
    if (!read) return 0;
    for (int i = 0; i < nbyte; ++i)
        *value |= uint32_t(bytes[i]) << (8 * i);
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
