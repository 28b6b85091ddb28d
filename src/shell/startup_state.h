#pragma once
// Globals of the program's entry: titles and the data file name.

#include <cstdint>

#include "state/exe_dir.h"

constexpr double REVISIONE = 5.0;

extern char Nome_prog[30];
extern char Nome_prog2[30];
extern char Data_file[PATH_MAX_VX];

// "Vendrix v.5.0.en" and "Snapdrix v.5.0.en".
void buildProgramNames();
