#pragma once
// Calendar helpers: the PC clock as text, days of a month, a time marker as a date.

#include <cstdint>

struct tempo {
    uint32_t anno, mese, giorno, ora, minuto, secondo;
};

// The PC's local date and time as YYMMDD_hhmmss.
void getDataTimePC(char* datatime);
uint32_t giorniMese(uint32_t anno, uint32_t mese);
// The calendar time `timemarker` tenths of a second after tref.
tempo timeAdj(tempo tref, uint32_t timemarker);
