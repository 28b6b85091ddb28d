#pragma once
// A logger's service commands on its flash and its identity: the flash image upload
// ("ATCM14", raw 48-byte packets, "ATCM15"), clearing the flash ("ATCM09", a pause, then
// one byte that says it is done), overwriting the page pointers ("ATPTxxxx",
// "ATPLxxxx") and the network address ("ATMY", "ATMYxxxx") of the QM loggers.

#include "device.h"
#include "session.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx::sim {

struct FlashServiceConfig {
    int64_t clearMs = 3000;       // "ATCM09": how long the clearing takes
    int clearByte = 0x0D;         // the byte sent when it is done; -1: none (the clearing never ends)
    uint16_t address = 1;         // QM loggers: the network address "ATMY" answers
    uint8_t minFwUpload = 0x18;   // "ATCM14" from this firmware byte on (v1.8), ERR before
    uint8_t minFwAddress = 0x13;  // "ATMY" from this firmware byte on (v1.3), ERR before
};

class FlashService {
  public:
    FlashService(const FlashServiceConfig& cfg, uint8_t fw) : cfg_(cfg), fw_(fw), address_(cfg.address) {}

    // The commands above; `logger` says whether "ATMY" is the logger's (boards have their
    // own). False when cmd is none of them.
    bool command(const std::string& cmd, const Session& s, bool logger, Output& out);

    // Upload mode: every byte goes into the current 48-byte packet until "ATCM15\r"
    // arrives at a packet start.
    bool uploading() const { return uploading_; }
    void feed(uint8_t b, Output& out);
    // A power failure ends the mode and forgets the packet under way.
    void restart() {
        uploading_ = false;
        packet_.clear();
    }

    // The flash page as the logger holds it now; null while the session's own flash is
    // unchanged (neither cleared nor written).
    const uint8_t* page(uint16_t p) const;
    uint16_t pageTab(const Session& s) const { return pageTab_.value_or(s.pageTab); }
    uint16_t pageLast(const Session& s) const { return pageLast_.value_or(s.pageLast); }

    // For tests.
    uint32_t packetsWritten() const { return packets_; }
    unsigned clears() const { return clears_; }
    uint16_t address() const { return address_; }

  private:
    void ownFlash(const Session& s);

    FlashServiceConfig cfg_;
    uint8_t fw_;
    uint16_t address_;
    std::vector<uint8_t> flash_;  // empty until the flash was first changed
    std::optional<uint16_t> pageTab_, pageLast_;
    bool uploading_ = false;
    std::vector<uint8_t> packet_;
    uint32_t packets_ = 0;  // packets written since the last "ATCM14"
    unsigned clears_ = 0;
};

}  // namespace vx::sim
