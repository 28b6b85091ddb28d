#include "boards/display_setup.h"

#include <algorithm>

#include "boards/board_image.h"
#include "boards/display_board.h"

namespace vx::boards {

namespace {

void writeRegister(vx::ui::WindowHandle owner, int reg, int display, uint32_t value) {
    if (txrx_VT71h(uint8_t(W_PAR | reg), display, &value) == 0) return;
    vx::ui::message(owner,
                    vx::ui::format("%s %u", "Error in writing the I2C Slave board number", unsigned(display)),
                    "COM Error", vx::ui::Icon::Error);
}

}  // namespace

void setUpDisplayBoards(vx::ui::WindowHandle owner, bool energy100) {
    for (int i = 0; i < DISPLAY_BOARDS; ++i) {
        const uint8_t q = EE.ram.Display_gra[i] & 0x0F;
        uint32_t quantity = q;
        txrx_VT71h(W_PAR | 6, i, &quantity);  // a display that is not there is no error here
        if (q == 0) continue;
        VT71h[i].Ndigit = uint8_t(Display_cnt[q] >> 4);
        VT71h[i].Dpoint = uint8_t(Display_cnt[q] & 0x0F);
        writeRegister(owner, 1, i, VT71h[i].Ndigit);
        writeRegister(owner, 2, i, VT71h[i].Dpoint);
    }
    if (Slave_board != SLAVE_VT75H) return;
    uint32_t mode = 0;
    if (txrx_VT71h(R_PAR | 7, 0, &mode) == 0) {
        mode = (mode & ~uint32_t(DOPT3_ENERGY100)) | (energy100 ? DOPT3_ENERGY100 : 0u);
        txrx_VT71h(W_PAR | 7, 0, &mode);
    }
    const uint32_t power = std::min<uint32_t>(EE.ram.Pnom / 10, 65535);
    uint32_t high = power >> 8, low = power & 0xFF;
    txrx_VT71h(W_PAR | 7, 3, &high);
    txrx_VT71h(W_PAR | 7, 2, &low);
}

}  // namespace vx::boards
