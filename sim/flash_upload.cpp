#include "flash_upload.h"

#include <algorithm>
#include <cstring>

namespace vx::sim {

namespace {
constexpr char kLeave[] = "ATCM15\r";
constexpr size_t kLeaveLen = sizeof kLeave - 1;
}  // namespace

void FlashService::ownFlash(const Session& s) {
    if (flash_.empty()) flash_ = s.flash;
    flash_.resize(size_t(kPageCount) * kPageSize, 0xFF);
}

const uint8_t* FlashService::page(uint16_t p) const {
    return flash_.empty() ? nullptr : flash_.data() + size_t(p & 0x0FFF) * kPageSize;
}

bool FlashService::command(const std::string& cmd, const Session& s, bool logger, Output& out) {
    const std::string op = cmd.substr(0, std::min<size_t>(4, cmd.size()));
    const std::string arg = cmd.size() > 4 ? cmd.substr(4) : std::string();
    uint32_t v = 0;
    if (cmd == "ATCM14") {
        if (fw_ < cfg_.minFwUpload) return out.line("ERR"), true;
        ownFlash(s);
        uploading_ = true;
        packet_.clear();
        packets_ = 0;
        return out.line("OK"), true;
    }
    if (cmd == "ATCM15") return out.line("OK"), true;  // not uploading: nothing to leave
    if (cmd == "ATCM09") {
        // An empty memory with a new session and no nodes yet: the table page 0 holds the
        // old table's header (Pnom, start) with the header's length only.
        flash_.assign(size_t(kPageCount) * kPageSize, 0xFF);
        std::copy(s.page(s.pageTab), s.page(s.pageTab) + kTableHeader, flash_.begin());
        flash_[2] = uint8_t(kTableHeader);
        flash_[3] = 0;
        pageTab_ = pageLast_ = 0;
        ++clears_;
        out.line("OK");
        if (cfg_.clearByte >= 0) {
            Reply done;
            done.bytes = {uint8_t(cfg_.clearByte)};
            done.delayNs = cfg_.clearMs * 1000000;
            out.push(std::move(done));
        }
        return true;
    }
    if (op == "ATPT" || op == "ATPL") {
        std::optional<uint16_t>& reg = op == "ATPT" ? pageTab_ : pageLast_;
        if (arg.empty()) return out.line(hex4(op == "ATPT" ? pageTab(s) : pageLast(s))), true;
        if (arg.size() != 4 || !parseHex(arg, v)) return out.line("ERR"), true;
        reg = uint16_t(v & 0x0FFF);
        return out.line("OK"), true;
    }
    if (op == "ATMY" && logger) {
        if (fw_ < cfg_.minFwAddress) return out.line("ERR"), true;
        if (arg.empty()) return out.line(hex4(address_)), true;
        if (arg.size() != 4 || !parseHex(arg, v)) return out.line("ERR"), true;
        address_ = uint16_t(v);
        return out.line("OK"), true;
    }
    return false;
}

void FlashService::feed(uint8_t b, Output& out) {
    packet_.push_back(b);
    // "ATCM15\r" at a packet start leaves the mode; so does nothing else.
    if (packet_.size() <= kLeaveLen && std::memcmp(packet_.data(), kLeave, packet_.size()) == 0) {
        if (packet_.size() == kLeaveLen) {
            packet_.clear();
            if (!out.arrived("ATCM15")) return;
            uploading_ = false;
            out.command = "ATCM15";
            out.line("OK");
            out.command.clear();
        }
        return;
    }
    if (packet_.size() < size_t(kPieceSize)) return;
    if (!out.arrived("ATCM14 packet")) return packet_.clear();
    const size_t at = size_t(packets_) * kPieceSize;
    out.command = "ATCM14 packet";
    if (at + kPieceSize <= flash_.size()) {
        std::copy(packet_.begin(), packet_.end(), flash_.begin() + std::ptrdiff_t(at));
        ++packets_;
        out.line("OK");
    } else {
        out.line("ERR");  // past the end of the flash
    }
    out.command.clear();
    packet_.clear();
}

}  // namespace vx::sim
