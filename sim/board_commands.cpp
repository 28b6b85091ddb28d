#include "board_commands.h"

#include <algorithm>
#include <cstdio>

namespace vx::sim {

namespace {

// ATSE takes the energy counter as it is and the days counter as its complement; the
// energy counter never reaches this many tenths of a kWh.
constexpr uint32_t kMaxEnergy = 1000000000u;

std::string hex8(uint32_t v) {
    char b[9];
    std::snprintf(b, sizeof b, "%08X", unsigned(v));
    return b;
}

void reboot(const BoardCommandConfig& cfg, BoardCommandState& st, uint8_t& opStatus, int64_t nowNs) {
    st.silentUntilNs = nowNs + cfg.rebootMs * 1000000;
    opStatus = 0x00;
    ++st.resets;
}

}  // namespace

bool answerBoardCommand(const BoardCommandConfig& cfg, BoardCommandState& st, std::array<uint8_t, 41>& image,
                        uint8_t& opStatus, const std::string& cmd, int64_t nowNs, Output& out) {
    if (!st.started) {
        st.started = true;
        st.saved = st.factory = image;
        st.address = uint16_t(image[1] | image[2] << 8);
        st.energy = cfg.energy;
        st.days = cfg.days;
    }
    if (nowNs < st.silentUntilNs) return true;  // rebooting: nothing is heard
    const std::string op = cmd.substr(0, std::min<size_t>(4, cmd.size()));
    const std::string arg = cmd.size() > 4 ? cmd.substr(4) : std::string();
    uint32_t v = 0;

    if (op == "ATMY") {
        if (arg.empty()) return out.line(hex4(st.address)), true;
        if (arg.size() != 4 || !parseHex(arg, v)) return out.line("ERR"), true;
        st.address = uint16_t(v);
        return out.line("OK"), true;
    }
    if (op == "ATSE") {
        if (arg.empty()) return out.line(hex8(st.energy)), true;
        if (arg.size() != 8 || !parseHex(arg, v)) return out.line("ERR"), true;
        if (v <= kMaxEnergy)
            st.energy = v;
        else
            st.days = ~v;
        return out.line("OK"), true;
    }
    if (op != "ATCM") return false;
    if (arg == "10") return ++st.remote1, out.line("OK"), true;
    if (arg == "11") return ++st.remote2, out.line("OK"), true;
    if (arg == "12") return st.saved = image, out.line("OK"), true;
    if (arg == "13") {
        // Factory values into both copies, then a reboot.
        st.saved = image = st.factory;
        out.line("OK");
        reboot(cfg, st, opStatus, nowNs);
        return true;
    }
    if (arg == "0F") {
        // What was not saved is lost: the board starts from its non-volatile copy.
        image = st.saved;
        out.line("OK");
        reboot(cfg, st, opStatus, nowNs);
        return true;
    }
    return false;  // the logger's own ATCM commands
}

}  // namespace vx::sim
