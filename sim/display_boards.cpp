#include "display_boards.h"

namespace vx::sim {

namespace {

constexpr uint8_t kReadDisplay = 0x00, kReadPar = 0x20, kReadCom = 0x60;
constexpr uint8_t kWriteDisplay = 0x80, kWritePar = 0xA0, kWriteCom = 0xE0;

}  // namespace

DisplayRegisters DisplayBoards::defaultRegisters() {
    // 4 digits, point at 1, brightness 128, automatic brightness, receive time-out 20.
    return {0, 4, 1, 128, 0x40, 20, 0x00};
}

std::array<uint8_t, 8> DisplayBoards::defaultOption3() {
    // text mode, scan 2.0 s, nominal power 1000 (x10 W), tuning 0, pulse off.
    return {0x00, 20, 0xE8, 0x03, 0x00, 0x00, 0x00, 0x00};
}

DisplayBoards::DisplayBoards(DisplayBoardsConfig cfg) : cfg_(cfg) {
    if (cfg_.count > 8) cfg_.count = 8;
    live_.fill(defaultRegisters());
    saved_ = live_;
    option3_ = option3Saved_ = defaultOption3();
}

void DisplayBoards::command(unsigned code, uint8_t value) {
    const uint8_t first = pending_[code];
    pending_[code] = 0;
    const bool vt75 = cfg_.family == DisplayFamily::VT75h;
    if (value == 0xAA && first == 0xDD) {
        saved_[code] = live_[code];
        if (vt75) option3Saved_ = option3_;
    } else if (value == 0xFF && first == 0xEE) {
        live_[code] = saved_[code] = defaultRegisters();
        if (vt75) option3_ = option3Saved_ = defaultOption3();
    } else if (value == 0x55) {
        // A reset starts again from what the non-volatile memory holds.
        live_[code] = saved_[code];
        if (vt75) option3_ = option3Saved_;
        ++resets_[code];
    } else if (value == 0xDD || value == 0xEE) {
        pending_[code] = value;
    }
}

bool DisplayBoards::answer(const std::string& cmd, Output& out) {
    if (cmd.rfind("ATSD", 0) != 0) return false;
    const std::string arg = cmd.substr(4);
    uint32_t code = 0, op = 0, data = 0;
    if (arg.size() < 4 || !parseHex(std::string_view(arg).substr(0, 2), code) ||
        !parseHex(std::string_view(arg).substr(2, 2), op))
        return out.line("ERR"), true;
    const std::string_view rest = std::string_view(arg).substr(4);
    const uint8_t cls = uint8_t(op & 0xE0), reg = uint8_t(op & 0x1F);
    const bool write = cls == kWriteDisplay || cls == kWritePar || cls == kWriteCom;
    const size_t dataLen = !write ? 0 : cls == kWriteDisplay ? 6 : 2;
    if (rest.size() != dataLen || (dataLen && !parseHex(rest, data))) return out.line("ERR"), true;

    const bool vt75 = cfg_.family == DisplayFamily::VT75h;
    // The extended option bytes of a VT75h: the code is the byte index, for the one board.
    if ((cls == kReadPar || cls == kWritePar) && reg == 7) {
        if (!vt75 || cfg_.count == 0 || code > 7) return out.line("ERR"), true;
        if (cls == kReadPar) return out.line(hex2(option3_[code])), true;
        option3_[code] = uint8_t(data);
        return out.line("OK"), true;
    }
    // A VT73h panel takes every code of the bus and answers register 1 with 7F.
    if (cls == kReadDisplay && reg == 1 && cfg_.family == DisplayFamily::VT73h && cfg_.count > 0 && code <= 7)
        return out.line("7F"), true;
    // Nobody at the code: the host's bus transfer fails.
    if (code >= cfg_.count) return out.line("ERR"), true;
    switch (cls) {
        case kReadDisplay:
            if (reg == 1) return out.line(hex2(code + 1)), true;
            if (reg == 2) return out.line(hex2(cfg_.fw)), true;
            if (reg == 3 && vt75) return out.line("02"), true;
            return out.line("ERR"), true;
        case kReadPar:
            if (reg >= 1 && reg <= 6) return out.line(hex2(live_[code][reg])), true;
            return out.line("ERR"), true;
        case kWritePar:
            if (reg == 0) return command(code, uint8_t(data)), out.line("OK"), true;
            if (reg <= 6) return live_[code][reg] = uint8_t(data), out.line("OK"), true;
            return out.line("ERR"), true;
        case kReadCom:
            return out.line("00"), true;
        case kWriteDisplay:
        case kWriteCom:
            return out.line("OK"), true;
        default:
            return out.line("ERR"), true;
    }
}

}  // namespace vx::sim
