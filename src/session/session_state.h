#pragma once
// The logger's current session as the program holds it: page registers, assignment
// table, node records with their logical channels, time markers and clock strings.

#include <cstdint>

constexpr int NUM_PAGES = 4096;
constexpr int PAGE_SIZE = 528;
constexpr int CHUNK_SIZE = 48;
constexpr int CHUNKS_PER_PAGE = 11;
constexpr uint16_t PAGE_MASK = 0x0FFF;
constexpr int MAX_NODES = 30;     // InfoFE[1..30]
constexpr int MAX_LOGIC_CH = 64;  // per node
constexpr int TCF_DEF = 1800;     // default sample time, seconds

constexpr int PAGE_TAB = 0;
constexpr int PAGE_FIRST = 1;
constexpr int PAGE_LAST = 2;

struct datitab {
    uint8_t nodead;
    uint8_t chanu;
    uint16_t satmr;
    const uint8_t* conf;  // chanu little-endian words inside TabAss
    uint16_t vbat;
    int64_t sdati[MAX_LOGIC_CH];
    uint32_t n;  // records summed (a long interval of a fast node can pass 65535)
    uint8_t chanu_logic;
    uint8_t ch_fisico[MAX_LOGIC_CH];
};

struct INFOST {
    uint32_t nItem, nSubItem, nItem_, nSubItem_;
};

extern char PageTab[5], PageFirst[5], PageLast[5], PageTmp[5];
extern uint16_t PagTab, PagFirst, PagLast;
extern uint16_t TotalPagNum, TotalPagNumDload;

extern uint8_t TabAss[PAGE_SIZE];
extern uint32_t Pnom;
extern datitab InfoFE[MAX_NODES + 1];
extern uint8_t TotalNodeNum;
extern int32_t TotalLogicCh;

extern uint32_t TimeMarker, FirstTimeMarker, LastTimeMarker, FirstTimeMarkerDload;
extern char DataTimePC[14], DataTimeDL[14], DataTimeSS[14], DurataSessione[14];

extern uint8_t StatusReg, ErrorsReg;
extern INFOST InfoSES;
extern uint16_t Vbat_curr[MAX_NODES + 1];
extern uint16_t Tsample;

namespace vx::session {
// Puts the session state back to its start-up values.
void resetSessionState();
}  // namespace vx::session
