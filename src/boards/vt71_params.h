#pragma once
// Single-parameter access to the energy-monitoring board's parameter image.

#include <cstdint>

// Reads nbyte consecutive image bytes from offset ofs into the integer at value, least
// significant byte first ("ATRD%04X\r", then one "ATEE\r" per byte). 1 on success, 0 on
// any failed step (value then holds the bytes read so far).
int get_VT71_par(int nbyte, int ofs, uint32_t* value);
