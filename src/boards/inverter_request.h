#pragma once
// One question to one inverter through the board, with the user deciding what a failed
// answer means.

#include <cstdint>

#include "ui/backend.h"

// pkt holds the first 8 request bytes (address, command, parameter, zeros) and has room
// for 10. Sends the request with its CRC until a sound answer comes: 0 = answered, pkt
// then holds the 6 answer data bytes and a NUL at byte 6; on a failed transaction or an
// unsound answer the user is asked Abort/Retry/Ignore: 3 = Abort, 5 = Ignore (pkt then
// still holds the request).
int get_dati_powerone(vx::ui::WindowHandle hwndDlg, uint8_t* pkt);
