#include "monitor/channel_logic.h"

#include "session/session_state.h"

int32_t getCHlogic(int32_t* pnodeNum, int32_t* vx_logic, const int16_t* vx, int32_t chaNu, int32_t nodeAd) {
    *pnodeNum = 0;
    const int count = TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
    for (int k = 1; k <= count; ++k) {
        const datitab& node = InfoFE[k];
        if (node.nodead != nodeAd || node.chanu != chaNu) continue;
        *pnodeNum = k;
        for (int j = 0; j < node.chanu_logic && j < MAX_LOGIC_CH; ++j) {
            unsigned ch = node.ch_fisico[j];
            unsigned i = ch & 0x7F;
            // A 32-bit channel: the previous sample is its high word, its own the low word.
            vx_logic[j] =
                (ch & 0x80) ? int32_t(vx[i - 1]) * 65536 + int32_t(uint16_t(vx[i])) : int32_t(vx[i]);
        }
        return 1;
    }
    return 0;
}
