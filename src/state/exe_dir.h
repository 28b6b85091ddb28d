#pragma once
// The program's folders and files: the working directory at start-up (the settings files
// and the plug-in programs are looked for there), the data table saved or named last, and
// the folder it was saved in.

constexpr int PATH_MAX_VX = 260;

extern char Exe_dir[PATH_MAX_VX];
extern char Data_file[PATH_MAX_VX];
extern char Data_dir[PATH_MAX_VX];
