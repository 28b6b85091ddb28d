// Placeholder until the real-time graphs are built: no graph ever opens.
#include "graphs/datalogger/realtime_graph.h"

int32_t Flag_Graph;
float Ymin_def = -50.0f, Ymax_def = 50.0f;
float Dataset[NGRAPH_MAX];

void Init_Datalogger() {
    Ymax_def = 50.0f;
    Ymin_def = -50.0f;
    Flag_Graph = 0;
}
void Init_Graph1(const char*, int32_t, int32_t, float, float, float, int32_t, int32_t) {}
void Init_Graph2(const char*, int32_t, int32_t, float, float, float, int32_t, int32_t) {}
void Plot_Graph1(const float*) {}
void Plot_Graph2(const float*) {}
int32_t Gest_Curs() {
    return 0;
}
void Close_Graph() {}
