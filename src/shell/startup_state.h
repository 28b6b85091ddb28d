#pragma once
// Globals of the program's entry: titles, working directory, the data file name.

#include <cstdint>

constexpr double REVISIONE = 5.0;
constexpr int PATH_MAX_VX = 260;

extern char Nome_prog[30];
extern char Nome_prog2[30];
extern char Exe_dir[PATH_MAX_VX];
extern char Data_file[PATH_MAX_VX];

// "Vendrix v.5.0.en" and "Snapdrix v.5.0.en".
void buildProgramNames();
