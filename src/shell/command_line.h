#pragma once
// The desktop program's command line: "-" switches with their argument written directly
// behind the letter, and one optional data file name (quoted when it holds blanks).

constexpr int CMD_ARG_MAX = 14;  // characters of a switch's argument (a port name may be longer)
constexpr int FILE_NAME_MAX = 259;

void readCMD(const char* lpCmdLine);
void doCMD(char cmd, const char* szBuf);

// Joins argv[1..] back into one command line, quoting arguments that hold blanks.
#include <string>
std::string joinArguments(int argc, char** argv);
