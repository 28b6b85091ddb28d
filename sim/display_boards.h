#pragma once
// Numeric display boards on the I2C bus of a VT71 board, reached through "ATSD" + code +
// operation [+ data]: their registers, version, detection answers and command register.

#include "device.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx::sim {

enum class DisplayFamily { VT71h = 1, VT73h = 2, VT75h = 3 };

struct DisplayBoardsConfig {
    unsigned count = 0;  // boards at codes 0..count-1 (0..8)
    DisplayFamily family = DisplayFamily::VT71h;
    uint8_t fw = 0x13;  // version byte of every board: v1.3
};

// Parameter registers 1..6 of one board (index = register number; 0 unused).
using DisplayRegisters = std::array<uint8_t, 7>;

class DisplayBoards {
  public:
    explicit DisplayBoards(DisplayBoardsConfig cfg);

    // Handles an "ATSD" command; false when cmd is not one.
    bool answer(const std::string& cmd, Output& out);

    const DisplayBoardsConfig& config() const { return cfg_; }
    const DisplayRegisters& registers(unsigned code) const { return live_[code & 7]; }
    const DisplayRegisters& saved(unsigned code) const { return saved_[code & 7]; }
    const std::array<uint8_t, 8>& option3() const { return option3_; }
    const std::array<uint8_t, 8>& option3Saved() const { return option3Saved_; }
    unsigned resets(unsigned code) const { return resets_[code & 7]; }

    static DisplayRegisters defaultRegisters();
    static std::array<uint8_t, 8> defaultOption3();

  private:
    void command(unsigned code, uint8_t value);

    DisplayBoardsConfig cfg_;
    std::array<DisplayRegisters, 8> live_{}, saved_{};
    std::array<uint8_t, 8> option3_{}, option3Saved_{};
    std::array<uint8_t, 8> pending_{};  // first byte of a two-byte command
    std::array<unsigned, 8> resets_{};
};

}  // namespace vx::sim
