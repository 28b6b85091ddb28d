#pragma once
// Globals of the program's entry: the titles (the data file name is in state/exe_dir.h).

#include <cstdint>

#include "state/exe_dir.h"

constexpr double REVISIONE = 5.0;

extern char Nome_prog[30];
extern char Nome_prog2[30];

// "Vendrix v.5.0.en" and "Snapdrix v.5.0.en".
void buildProgramNames();
