#pragma once
// The program's defaults, set before the command line is read (and by test fixtures).

void initVAR();
