#pragma once
// The working directory of the process at start-up: the settings files and the plug-in
// programs are looked for there.

constexpr int PATH_MAX_VX = 260;

extern char Exe_dir[PATH_MAX_VX];
