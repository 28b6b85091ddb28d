#pragma once
// An in-process serial port that talks straight to a simulated device, for pure unit
// tests: no thread, no pseudo-terminal, no pacing.
//
// - write() feeds the bytes to the device at once; its replies are queued for readByte().
// - Time is virtual. It starts at 0 and moves only inside waitReadable(): when nothing is
//   queued, the port looks for the next reply that is due later (a delayed reply, the
//   modem's dialling result) and, if it falls within the time-out, jumps the clock to it
//   and returns true; otherwise it moves the clock on by the whole time-out and returns
//   false. It never sleeps, so a test of a 2000 ms time-out takes no real time, and the
//   device's own clock (the logger's calendar) follows the virtual time.

#include "device.h"
#include "link/serial_port.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vx::sim {

class FakeSerialPort : public vx::link::SerialPort {
  public:
    explicit FakeSerialPort(std::unique_ptr<Device> device, std::string name = "FAKE0");

    const std::string& name() const override { return name_; }
    vx::link::PortState state() override;
    void setState(const vx::link::PortState& s) override;
    bool configure(uint32_t baud, bool dtrRtsOn, vx::link::PortFailure* why = nullptr) override;
    void discardInput() override;
    size_t write(const uint8_t* data, size_t len) override;
    bool readByte(uint8_t& b) override;
    bool waitReadable(int timeoutMs) override;
    // With hangUpOnVanish, a device that vanished is a port that reports a hang-up, as the
    // pty server's vanish-close makes it.
    bool gone() const override { return hangUpOnVanish_ && device_->vanished(); }
    void setHangUpOnVanish(bool on) { hangUpOnVanish_ = on; }
    // The transaction's time-outs run on the virtual clock.
    uint64_t nowMs() const override { return uint64_t(nowNs_ / 1000000); }
    void sleepMs(uint32_t ms) override { advanceMs(ms); }

    // Test helpers.
    Device& device() { return *device_; }
    int64_t nowNs() const { return nowNs_; }
    void advanceMs(int64_t ms);  // moves the virtual clock, delivering due replies
    const std::vector<uint8_t>& written() const { return written_; }  // all host bytes
    std::string writtenText() const { return std::string(written_.begin(), written_.end()); }
    size_t queued() const { return rx_.size(); }
    uint32_t baud() const { return baud_; }
    bool dtrRtsOn() const { return dtrRts_; }
    uint64_t bytesIn() const { return written_.size(); }
    uint64_t bytesOut() const { return bytesOut_; }

  private:
    struct Later {
        int64_t dueNs;
        std::vector<uint8_t> bytes;
    };
    void collect(Output& out);
    void deliverDue();
    int64_t nextDueNs() const;

    std::unique_ptr<Device> device_;
    std::string name_;
    int64_t nowNs_ = 0;
    std::deque<uint8_t> rx_;
    std::vector<Later> later_;  // in due order
    std::vector<uint8_t> written_;
    uint64_t bytesOut_ = 0;
    uint32_t baud_ = 9600;
    bool dtrRts_ = false;
    bool hangUpOnVanish_ = false;
};

}  // namespace vx::sim
