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

// Reads Ntel from a settings file ("Ntel=<number>" and CR LF); a missing file, or one that
// does not begin with that key, leaves Ntel as it is.
void load_ini(const char* szNomefile);
// Writes "Ntel=<number>\r\n"; 1 when the file was written, 0 when it could not be.
int32_t save_ini(const char* szNomefile);
