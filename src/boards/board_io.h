#pragma once
// Transfers of the board's parameter image: the whole image to and from the board, and
// single values inside it. The board procedures loadParcfg and write_to_VT71a answer 0
// for success and 1 for failure; the single-value ones 1 for success and 0 for failure.
// Each exchange is tried up to three times; what failed last is in
// vx::link::lastFailureText().

#include <cstdint>

// Reads the image into EE, sets every Parcfg value from it and checks it (the image is
// then rewritten from the rounded values), and reads the operating state into Stato_OP.
// EE changes only when the whole 41-byte image arrived.
int loadParcfg();

// Writes the 41 bytes of EE to the board and reads them back: success only when the
// board holds what was sent.
int write_to_VT71a();

// An nbyte-byte (1..4) little-endian value at image offset startadd; the value must lie
// inside the image.
int read_EE_par(int nbyte, int startadd, uint32_t* pval);
// Writes it, least significant byte first, and reads it back to confirm.
int write_EE_par(int nbyte, int startadd, uint32_t val);

namespace vx::boards {

// The image as the board holds it now, EE untouched (for comparing after a write).
bool readBoardImage(uint8_t image[41]);

// The board's answer to a whole-image read: exactly 82 hex digits of either case, byte k
// in characters 2k and 2k+1. False, and `image` untouched, for anything else.
bool decodeImageReply(const uint8_t* reply, int n, uint8_t image[41]);

// A one-byte answer ("ATEE\r" after the pointer was set): exactly two hex digits.
bool decodeByteReply(const uint8_t* reply, int n, uint8_t* byte);

}  // namespace vx::boards
