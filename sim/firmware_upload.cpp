#include "firmware_upload.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "faults.h"
#include "inverters.h"

namespace vx::sim {
namespace {

bool contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

bool toIndex(const std::string& s, int& out) {
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::atoi(s.c_str());
    return out < 1024;
}

bool toIndexList(const std::string& v, std::vector<int>& out) {
    std::vector<int> list;
    size_t pos = 0;
    while (pos <= v.size()) {
        const size_t slash = v.find('/', pos);
        int x;
        if (!toIndex(v.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos), x))
            return false;
        list.push_back(x);
        pos = slash == std::string::npos ? v.size() + 1 : slash + 1;
    }
    out = list;
    return true;
}

bool is(const std::vector<uint8_t>& buf, const char* text) {
    return buf.size() == std::strlen(text) && std::equal(buf.begin(), buf.end(), text);
}

}  // namespace

int applyFirmwareOption(FirmwareSimConfig& cfg, const std::string& key, const std::string& value,
                        std::string& err) {
    bool ok;
    if (key == "fw-err")
        ok = toIndexList(value, cfg.errOnce);
    else if (key == "fw-reject")
        ok = toIndex(value, cfg.rejectAlways);
    else if (key == "boot-nak")
        ok = toIndexList(value, cfg.nakOnce);
    else if (key == "boot-silent")
        ok = toIndex(value, cfg.silentBlock);
    else if (key == "ee-silent")
        ok = toIndex(value, cfg.eeSilent) && cfg.eeSilent < int(kI2cEepromSize / kI2cEepromBlock);
    else
        return 0;
    if (ok) return 1;
    err = key + "=" + value + ": " +
          (key == "fw-err" || key == "boot-nak" ? "numbers a/b/..., 0..1023"
           : key == "ee-silent"                 ? "0..511"
                                                : "0..1023");
    return -1;
}

uint8_t initialI2cEepromByte(size_t address) {
    return uint8_t(address * 13 + (address >> 8));
}

I2cEeprom::I2cEeprom() {
    for (size_t a = 0; a < kI2cEepromSize; ++a)
        bytes_[a] = initialI2cEepromByte(a);
}

bool I2cEeprom::storeRecord(size_t index, const uint8_t* data) {
    const size_t at = kI2cEepromFirmwareAt + 32 * index;
    if (index >= kI2cEepromSize || at + 32 > kI2cEepromSize) return false;
    std::copy(data, data + 32, bytes_.begin() + std::ptrdiff_t(at));
    return true;
}

bool I2cEeprom::command(const std::string& cmd, uint16_t blocksPerRequest, int silentBlock, Output& out) {
    if (cmd == "ATRD4000") {
        dumping_ = true;
        ptr_ = 0;
        out.line("OK");
        return true;
    }
    if (!dumping_ || cmd != "ATRD") {
        dumping_ = false;
        return false;
    }
    const size_t total = kI2cEepromSize / kI2cEepromBlock;
    const size_t n = blocksPerRequest == 0 ? 1 : std::min<size_t>(blocksPerRequest, total);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < n; ++i) {
        const size_t block = ptr_ / kI2cEepromBlock;
        if (silentBlock >= 0 && block >= size_t(silentBlock)) break;  // the EEPROM stopped answering
        bytes.insert(bytes.end(), bytes_.begin() + std::ptrdiff_t(ptr_),
                     bytes_.begin() + std::ptrdiff_t(ptr_ + kI2cEepromBlock));
        ptr_ = (ptr_ + kI2cEepromBlock) % kI2cEepromSize;
    }
    if (!bytes.empty()) out.raw(std::move(bytes));
    return true;
}

void FirmwareReceiver::reply(const char* command, const char* text, Output& out) {
    out.command = command;
    out.line(text);
    out.command.clear();
}

bool FirmwareReceiver::command(const std::string& cmd, Output& out) {
    if (eeprom_.command(cmd, blocks_, cfg_.eeSilent, out)) return true;  // the EEPROM dump
    uint32_t v;
    if (cmd.size() == 8 && cmd.compare(0, 4, "ATRD") == 0 && parseHex(cmd.substr(4), v))
        blocks_ = uint16_t(v);
    if (cmd != "ATCM04") return false;
    receiving_ = true;
    resync_ = false;
    finished_ = false;
    buf_.clear();
    records_.clear();
    rejectedOnce_.clear();
    out.line("OK");
    return true;
}

void FirmwareReceiver::feed(uint8_t b, Output& out) {
    buf_.push_back(b);
    if (resync_) {
        // Everything up to "ATCM04\r" is dropped.
        if (buf_.size() > 7) buf_.erase(buf_.begin());
        if (is(buf_, "ATCM04\r") && out.arrived("ATCM04")) {
            resync_ = false;
            ++resyncs_;
            buf_.clear();  // not answered: an "OK" would pass for a record's
        } else if (is(buf_, "ATCM10\r") && out.arrived("ATCM10")) {
            receiving_ = false;
            buf_.clear();
            reply("ATCM10", "OK", out);
        }
        return;
    }
    if (buf_.size() == 7 && is(buf_, "ATCM04\r")) {
        if (!out.arrived("ATCM04")) return buf_.clear();
        ++resyncs_;
        buf_.clear();
        return;
    }
    if (buf_.size() == 7 && is(buf_, "ATCM10\r")) {
        if (!out.arrived("ATCM10")) return buf_.clear();
        receiving_ = false;
        finished_ = blocks_ > 0 && records_.size() == size_t(blocks_) * 2;
        buf_.clear();
        return reply("ATCM10", "OK", out);
    }
    if (buf_.size() < 34) return;
    if (!out.arrived("FWREC")) return buf_.clear();
    record(out);
}

void FirmwareReceiver::restart() {
    receiving_ = false;
    resync_ = false;
    buf_.clear();
    eeprom_.stopDump();
}

void FirmwareReceiver::record(Output& out) {
    FwRecord r;
    std::copy(buf_.begin(), buf_.end(), r.begin());
    buf_.clear();
    const int index = int(records_.size());
    const uint16_t crc = crcX25(r.data(), 32);
    // A record past the end of the EEPROM has nowhere to go.
    bool bad = r[32] != uint8_t(crc) || r[33] != uint8_t(crc >> 8) || index == cfg_.rejectAlways ||
               kI2cEepromFirmwareAt + 32 * size_t(index) + 32 > kI2cEepromSize;
    if (!bad && contains(cfg_.errOnce, index) && !contains(rejectedOnce_, index)) {
        rejectedOnce_.push_back(index);
        bad = true;
    }
    if (bad) {
        ++rejected_;
        resync_ = true;
        return reply("FWREC", "ERR", out);
    }
    records_.push_back(r);
    eeprom_.storeRecord(size_t(index), r.data());
    reply("FWREC", "OK", out);
}

bool BootFlasherDevice::rawByte(uint8_t b, int64_t, Output& out) {
    switch (state_) {
        case State::Idle:
            if (b != '+' || !splitter_.pending().empty()) return false;
            if (!out.arrived("+")) return true;
            out.command = "+";
            {
                const uint8_t hello[2] = {version_, 0xB0};
                out.raw(hello, 2);
            }
            out.command.clear();
            state_ = State::Programming;
            return true;
        case State::Programming:
            buf_.push_back(b);
            if (buf_.size() == 65) {
                if (out.arrived("BLOCK"))
                    block(out);
                else
                    buf_.clear();
            }
            return true;
        case State::Ending:
            if (b == 'Q') state_ = State::Started, started_ = true;
            return true;
        case State::Started:
            return true;  // the new firmware runs; the boot loader hears nothing
    }
    return true;
}

void BootFlasherDevice::block(Output& out) {
    std::array<uint8_t, 64> data;
    std::copy(buf_.begin(), buf_.begin() + 64, data.begin());
    const uint8_t check = buf_[64];
    buf_.clear();
    uint8_t sum = 0;
    bool zeros = true;
    for (uint8_t x : data) {
        sum = uint8_t(sum + x);
        zeros = zeros && x == 0;
    }
    if (zeros && check == 0x01) {
        ended_ = true;
        state_ = State::Ending;
        return;
    }
    const int index = int(blocks_.size());
    if (index == cfg_.silentBlock) return;
    bool bad = sum != check;
    if (!bad && contains(cfg_.nakOnce, index) && !contains(nakedOnce_, index)) {
        nakedOnce_.push_back(index);
        bad = true;
    }
    out.command = "BLOCK";
    const uint8_t ack = bad ? 0x00 : 0x01;
    out.raw(&ack, 1);
    out.command.clear();
    if (bad)
        ++naks_;
    else
        blocks_.push_back(data);
}

BootFlasherDevice* findBootFlasher(Device& d) {
    if (auto* f = dynamic_cast<FaultyDevice*>(&d)) return findBootFlasher(f->inner());
    return dynamic_cast<BootFlasherDevice*>(&d);
}

void BootFlasherDevice::restart(int64_t nowNs) {
    BootLoaderDevice::restart(nowNs);
    buf_.clear();
    if (state_ != State::Started) state_ = State::Idle;  // the blocks stored stay
}

}  // namespace vx::sim
