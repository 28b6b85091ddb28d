#pragma once
// The real-time graph windows of the monitor: a sweeping graph (a red cursor runs across a
// fixed time axis and each sweep overwrites the previous one, shown pale) and a scrolling
// graph (the newest sample enters at the right). One graph at a time, up to 8 channels,
// drawn through the plotting interface.

#include <cstdint>

constexpr int NPIX_X = 2000;
constexpr int NGRAPH_MAX = 8;

extern int32_t Flag_Graph;  // 0 none, 1 sweeping graph open, 2 scrolling graph open (the monitor's)
extern float Ymin_def, Ymax_def;
extern float Dataset[NGRAPH_MAX];  // the latest value of each selected channel

void Init_Datalogger();
void Init_Graph1(const char* caption, int32_t xw, int32_t yw, float kwin, float ymin, float ymax,
                 int32_t xpoint, int32_t ngra);
void Init_Graph2(const char* caption, int32_t xw, int32_t yw, float kwin, float ymin, float ymax,
                 int32_t xpoint, int32_t ngra);
void Plot_Graph1(const float* data);
void Plot_Graph2(const float* data);
int32_t Gest_Curs();
void Close_Graph();
