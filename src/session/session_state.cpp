#include "session/session_state.h"

#include <cstring>

char PageTab[5], PageFirst[5], PageLast[5], PageTmp[5];
uint16_t PagTab, PagFirst, PagLast;
uint16_t TotalPagNum, TotalPagNumDload;

uint8_t TabAss[PAGE_SIZE];
uint32_t Pnom;
datitab InfoFE[MAX_NODES + 1];
uint8_t TotalNodeNum;
int32_t TotalLogicCh;

uint32_t TimeMarker, FirstTimeMarker, LastTimeMarker, FirstTimeMarkerDload;
char DataTimePC[14], DataTimeDL[14], DataTimeSS[14], DurataSessione[14];

uint8_t StatusReg, ErrorsReg;
INFOST InfoSES;
uint16_t Vbat_curr[MAX_NODES + 1];
uint16_t Tsample = TCF_DEF;

void vx::session::resetSessionState() {
    PageTab[0] = PageFirst[0] = PageLast[0] = PageTmp[0] = 0;
    PagTab = PagFirst = PagLast = 0;
    TotalPagNum = TotalPagNumDload = 0;
    std::memset(TabAss, 0, sizeof TabAss);
    Pnom = 0;
    std::memset(InfoFE, 0, sizeof InfoFE);
    TotalNodeNum = 0;
    TotalLogicCh = 0;
    TimeMarker = FirstTimeMarker = LastTimeMarker = FirstTimeMarkerDload = 0;
    DataTimePC[0] = DataTimeDL[0] = DataTimeSS[0] = DurataSessione[0] = 0;
    StatusReg = ErrorsReg = 0;
    InfoSES = {};
    std::memset(Vbat_curr, 0, sizeof Vbat_curr);
    Tsample = TCF_DEF;
}
