#include "shell/startup_state.h"

#include <cstdio>

char Nome_prog[30];
char Nome_prog2[30];

void buildProgramNames() {
    std::snprintf(Nome_prog, sizeof Nome_prog, "Vendrix v.%1.1f%s%s", REVISIONE, ".en", "");
    std::snprintf(Nome_prog2, sizeof Nome_prog2, "Snapdrix v.%1.1f%s%s", REVISIONE, ".en", "");
}
