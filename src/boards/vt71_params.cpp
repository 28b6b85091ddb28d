#include "boards/vt71_params.h"

#include <cstdio>

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
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool ok = vx::link::requestOk(cmd);
        // The board steps its read address after each byte.
        for (int i = 0; ok && i < nbyte; ++i) {
            ok = vx::link::request("ATEE\r");
            if (ok && !vx::boards::decodeByteReply(Rx_buf, iRx, &bytes[i]))
                ok = false, vx::link::markReply(vx::link::TxError::BadReply);
        }
        if (ok) {
            for (int i = 0; i < nbyte; ++i)
                *value |= uint32_t(bytes[i]) << (8 * i);
            return 1;
        }
        const auto e = vx::link::lastTransaction().error;
        if (e == vx::link::TxError::NoPort || e == vx::link::TxError::PortGone) break;
    }
    return 0;
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
