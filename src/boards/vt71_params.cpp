#include "boards/vt71_params.h"

#include <cstdio>

#include "link/com.h"
#include "link/parsers.h"

int get_VT71_par(int nbyte, int ofs, uint32_t* value) {
    if (!value || nbyte < 0 || nbyte > 4) return 0;
    *value = 0;
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%04X\r", unsigned(ofs) & 0xFFFFu);
    if (sendCOMMAND(hCom, cmd, 13) != 1 || !RICEVUTO_OK()) return 0;
    for (int i = 0; i < nbyte; ++i) {
        // The board steps its read address after each byte.
        if (sendCOMMAND(hCom, "ATEE\r", 13) != 1 || iRx < 2) return 0;
        *value |= uint32_t(str16_to_num(Rx_buf, 2) & 0xFF) << (8 * i);
    }
    return 1;
}
