#pragma once
// The modem's own files: the initialisation lines of "modem.ini" and the remembered
// telephone number of "Farlinks.ini".

#include <cstdint>

#include "link/transaction.h"

constexpr int DIMNTEL = 15;

extern uint8_t Ntel[DIMNTEL + 1];

// Sends every non-empty line of "modem.ini" in the working directory, each with a carriage
// return; replies are ignored. A last line without a line end is not sent.
void init_modem(PortHandle hcom);

void load_ini(const char* szNomefile);
void save_ini(const char* szNomefile);
