#pragma once
// The device side of a firmware upload.
//
// Boards (FirmwareReceiver, inside LoggerDevice): "ATRDxxxx" announces the 64-byte
// blocks, "ATCM04" enters upload mode ("OK"). There every 34 bytes are one record (32
// data bytes, CRC-16/X-25 low byte first), answered "OK\r" and stored, or "ERR\r" (wrong
// CRC, or a fault setting) after which the board drops what comes until "ATCM04\r" and
// then expects the rejected record again (that "ATCM04\r" is not answered: an "OK" would
// pass for a record's). At a record boundary "ATCM04\r" is that resynchronisation too and
// "ATCM10\r" leaves upload mode ("OK"). The board answers each
// record as it completes, so the streamed (FAST) upload and the acknowledged one look
// the same from here.
//
// QM43 boot loader (BootFlasherDevice, profile qm43boot): "***" answers the version byte
// and 0xB0; a '+' at the start of a line answers the same two bytes and starts
// programming: then every 65 bytes are 64 data bytes and their 8-bit additive sum,
// answered 0x01 (block stored) or 0x00 (sum wrong, or a fault setting; the block is
// dropped and expected again). 64 bytes 0x00 with the sum byte 0x01 mark the end; a 'Q'
// then starts the new firmware and the boot loader answers nothing more.
//
// The board's I2C EEPROM (I2cEeprom, 32 KiB) is where the records land: record k at byte
// 256 + 32 k (the first 256 bytes are the board's own). Its dump: "ATRD4000" (after
// "ATRDxxxx" set the blocks per request, 0x200 or 1) puts the read pointer at byte 0 and
// answers "OK"; each "ATRD" then answers that many 64-byte blocks, raw, from the pointer on
// (wrapping at the end). Any other command ends the dump.

#include "device.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::sim {

struct FirmwareSimConfig {
    std::vector<int> errOnce;  // records (from 0) rejected the first time they arrive
    int rejectAlways = -1;     // a record rejected every time
    std::vector<int> nakOnce;  // boot loader: blocks (from 0) answered 0x00 the first time
    int silentBlock = -1;      // boot loader: a block never answered
    int eeSilent = -1;         // boards: the EEPROM dump sends nothing from this block on
};

// Applies a firmware setting: fw-err=A/B/..., fw-reject=N, boot-nak=A/B/..., boot-silent=N,
// ee-silent=N (0..511).
// 0 when the key is none of them, 1 when applied, -1 with err set for a bad value.
int applyFirmwareOption(FirmwareSimConfig& cfg, const std::string& key, const std::string& value,
                        std::string& err);

using FwRecord = std::array<uint8_t, 34>;

constexpr size_t kI2cEepromSize = 32768;
constexpr size_t kI2cEepromBlock = 64;
constexpr size_t kI2cEepromFirmwareAt = 256;  // where record 0 of an upload lands

// The content of a board's I2C EEPROM when the simulator starts: byte a holds
// (13 a + a / 256) mod 256, so that every line of a dump differs from its neighbours.
uint8_t initialI2cEepromByte(size_t address);

class I2cEeprom {
  public:
    I2cEeprom();
    const std::array<uint8_t, kI2cEepromSize>& bytes() const { return bytes_; }
    // The 32 data bytes of upload record `index`; false when they would pass the end.
    bool storeRecord(size_t index, const uint8_t* data);
    // "ATRD4000" and, while dumping, "ATRD" (blocksPerRequest set by "ATRDxxxx"). True when
    // it answered; any other command ends the dump.
    bool command(const std::string& cmd, uint16_t blocksPerRequest, int silentBlock, Output& out);
    bool dumping() const { return dumping_; }
    void stopDump() { dumping_ = false; }

  private:
    std::array<uint8_t, kI2cEepromSize> bytes_;
    bool dumping_ = false;
    size_t ptr_ = 0;
};

class FirmwareReceiver {
  public:
    explicit FirmwareReceiver(const FirmwareSimConfig& cfg) : cfg_(cfg) {}

    // A command the board handles as usual: notes "ATRDxxxx", takes "ATCM04". True when
    // it answered.
    bool command(const std::string& cmd, Output& out);
    bool receiving() const { return receiving_; }
    // One byte in upload mode.
    void feed(uint8_t b, Output& out);
    // A power failure ends upload mode and the dump; what was stored stays.
    void restart();

    uint16_t blocksAnnounced() const { return blocks_; }
    const std::vector<FwRecord>& records() const { return records_; }  // stored, in order
    unsigned rejected() const { return rejected_; }
    unsigned resyncs() const { return resyncs_; }
    bool finished() const { return finished_; }  // left upload mode with every announced record
    const I2cEeprom& eeprom() const { return eeprom_; }

  private:
    void record(Output& out);
    void reply(const char* command, const char* text, Output& out);

    FirmwareSimConfig cfg_;
    I2cEeprom eeprom_;
    uint16_t blocks_ = 0;
    bool receiving_ = false;
    bool resync_ = false;
    std::vector<uint8_t> buf_;
    std::vector<FwRecord> records_;
    std::vector<int> rejectedOnce_;
    unsigned rejected_ = 0, resyncs_ = 0;
    bool finished_ = false;
};

class BootFlasherDevice : public BootLoaderDevice {
  public:
    BootFlasherDevice(uint8_t version, const FirmwareSimConfig& cfg)
        : BootLoaderDevice(version), cfg_(cfg), version_(version) {}

    const std::vector<std::array<uint8_t, 64>>& blocks() const { return blocks_; }
    unsigned naks() const { return naks_; }
    bool ended() const { return ended_; }      // the end mark arrived
    bool started() const { return started_; }  // 'Q' after the end mark
    // Back to waiting for '+' (unless the new firmware runs already).
    void restart(int64_t nowNs) override;

  protected:
    bool rawByte(uint8_t b, int64_t nowNs, Output& out) override;

  private:
    void block(Output& out);

    enum class State { Idle, Programming, Ending, Started };
    FirmwareSimConfig cfg_;
    uint8_t version_;
    State state_ = State::Idle;
    std::vector<uint8_t> buf_;
    std::vector<std::array<uint8_t, 64>> blocks_;
    std::vector<int> nakedOnce_;
    unsigned naks_ = 0;
    bool ended_ = false, started_ = false;
};

// The boot loader inside a device, unwrapping a fault wrapper; null for other devices.
BootFlasherDevice* findBootFlasher(Device& d);

}  // namespace vx::sim
