#include "boards/board_image.h"

#include <cstring>

ee_buf EE;
uint8_t Stato_OP;

const uint8_t Display_cnt[16] = {0x10, 0x53, 0x60, 0x60, 0x60, 0x40, 0x40, 0x42,
                                 0x42, 0x30, 0x62, 0x62, 0x52, 0x53, 0x53, 0x60};

const char* const Nome_stato_operativo[16] = {"ZERO",    "-",      "READY", "-", "-", "REC", "PAUSE", "ERROR",
                                              "STANDBY", "UPD_FW", "-",     "-", "-", "-",   "-",     "-"};

const char* stateName(uint8_t state) {
    return Nome_stato_operativo[state & 0x0F];
}

void resetBoardImage() {
    std::memset(EE.buf, 0, sizeof EE.buf);
    Stato_OP = 0;
}
