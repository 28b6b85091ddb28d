#pragma once
// The device side of a fuzz input: an in-memory serial port that plays the input back as
// the device's replies, on a virtual clock.
//
// The input is a stream of segments separated by kPause. A segment is handed over whole
// when the program waits on the port with nothing left to take; an empty segment is a
// silence (the wait runs out its whole time-out). Once every segment has been handed
// over the device has gone away, so no procedure outlives its input.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace vx::fuzz {

constexpr std::string_view kPause = "~|~";

class ReplyPort : public vx::link::SerialPort {
  public:
    ReplyPort(const uint8_t* data, size_t size);

    const std::string& name() const override { return name_; }
    vx::link::PortState state() override { return {{1}}; }
    void setState(const vx::link::PortState&) override {}
    bool configure(uint32_t, bool, vx::link::PortFailure*) override { return true; }
    void discardInput() override { queued_.clear(); }
    size_t write(const uint8_t* data, size_t len) override;
    bool readByte(uint8_t& b) override;
    bool waitReadable(int timeoutMs) override;
    bool gone() const override { return queued_.empty() && next_ >= segments_.size(); }
    uint64_t nowMs() const override { return nowMs_; }
    void sleepMs(uint32_t ms) override { nowMs_ += ms; }

    // What the program wrote (commands), for targets that look at it.
    const std::vector<uint8_t>& written() const { return written_; }

  private:
    std::string name_ = "FUZZ0";
    std::vector<std::string_view> segments_;
    size_t next_ = 0;
    std::deque<uint8_t> queued_;
    std::vector<uint8_t> written_;
    uint64_t nowMs_ = 0;
};

// Wraps another port (a simulated device) and records what it delivers in the form
// ReplyPort plays back: the seeds of the device targets are conversations recorded this way.
class RecordingPort : public vx::link::SerialPort {
  public:
    explicit RecordingPort(vx::link::SerialPort& inner) : inner_(inner) {}

    const std::string& name() const override { return inner_.name(); }
    vx::link::PortState state() override { return inner_.state(); }
    void setState(const vx::link::PortState& s) override { inner_.setState(s); }
    bool configure(uint32_t baud, bool on, vx::link::PortFailure* why) override {
        return inner_.configure(baud, on, why);
    }
    void discardInput() override;
    size_t write(const uint8_t* data, size_t len) override { return inner_.write(data, len); }
    bool readByte(uint8_t& b) override;
    bool waitReadable(int timeoutMs) override;
    bool gone() const override { return inner_.gone(); }
    uint64_t nowMs() const override { return inner_.nowMs(); }
    void sleepMs(uint32_t ms) override { inner_.sleepMs(ms); }

    // The recording, ready to be written as a fuzz input.
    const std::string& recording() const { return recording_; }

  private:
    vx::link::SerialPort& inner_;
    std::deque<uint8_t> queued_;
    std::string recording_;
};

}  // namespace vx::fuzz
