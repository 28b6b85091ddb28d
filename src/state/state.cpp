#include "state/exe_dir.h"
#include "state/flags.h"

FlagRecord Flag;
char Exe_dir[PATH_MAX_VX];
char Data_file[PATH_MAX_VX];
char Data_dir[PATH_MAX_VX];
