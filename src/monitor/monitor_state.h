#pragma once
// The real-time monitor's process-wide state: the export period and sums, the channel
// selection and the channel windows' remembered places. Reset by resetMonitorState()
// (initVAR).

#include <cstdint>

constexpr int NWINMAX = 8;          // channel windows, selection entries
constexpr int EXPORT_MAX_CH = 256;  // export columns (logical channels of the session)

// The channel selection: entry i is the list row (node index - 1) and list column
// (logical channel index + 2) of a selected channel; a free slot has both 0.
struct INFOSEL {
    uint32_t ncsel;
    uint32_t nodo[NWINMAX];
    uint32_t canale[NWINMAX];
};

struct WindowPlace {
    int32_t x, y;
    int32_t enabled;  // 1 once placed
};

extern uint16_t Tsample_exp;  // export period, seconds (1..65535)
extern INFOSEL InfoSELCH;
extern WindowPlace PosWin[NWINMAX];  // channel windows

// Export sums since the last row, by export column (logical channel in session order).
extern uint32_t StartExpTime, RefExpTime;  // PC seconds since 1970
extern float ExpoCh[EXPORT_MAX_CH];    // sum of the scaled values (single precision, as the rows' averages)
extern int32_t ExpoN[EXPORT_MAX_CH];   // values summed
extern int8_t ExpoGra[EXPORT_MAX_CH];  // quantity code (0 until a first value)

namespace vx::monitor {
void resetMonitorState();
}  // namespace vx::monitor
