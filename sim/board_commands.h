#pragma once
// The board commands of a VT71/NOD85 beyond its image and alarms: its network address
// ("ATMY"), the energy and days counters ("ATSE"), the two remote commands, saving the
// image into non-volatile memory, factory defaults and reset ("ATCM10/11/12/13/0F"), with
// the board silent while it reboots.

#include "device.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx::sim {

struct BoardCommandConfig {
    int64_t rebootMs = 1500;   // after a reset or the defaults the board answers nothing this long
    uint32_t energy = 123456;  // energy counter, tenths of a kWh
    uint32_t days = 42;        // days of production
    int eeStuck = -1;          // an image byte whose cell keeps its value whatever is written
};

// What the board keeps between commands. `saved` is the non-volatile copy of the image,
// `factory` what the defaults restore; both start as the image the board was made with.
struct BoardCommandState {
    std::array<uint8_t, 41> saved{};
    std::array<uint8_t, 41> factory{};
    uint16_t address = 1;
    uint32_t energy = 0;
    uint32_t days = 0;
    unsigned remote1 = 0, remote2 = 0;  // "P1" and "P2" commands taken
    unsigned resets = 0;                // reboots (reset and defaults)
    int64_t silentUntilNs = -1;         // rebooting until then
    bool started = false;
};

// Handles the board commands above, and swallows every command while the board reboots.
// `image` is the working image, `opStatus` the operating state. False when cmd is none of
// them (the board then handles it as usual).
bool answerBoardCommand(const BoardCommandConfig& cfg, BoardCommandState& st, std::array<uint8_t, 41>& image,
                        uint8_t& opStatus, const std::string& cmd, int64_t nowNs, Output& out);

}  // namespace vx::sim
