#pragma once
// A dial-up modem with numeric result codes, optionally with a device at the far end.
//
// Command mode: every line beginning "AT" is answered "0\r" (OK), "ATV0" included.
// "ATDT<number>" answers nothing at once; after the dial delay it sends the configured
// result code. A code that means a connection (1, 5, 9..19, 20 and above) puts the modem
// on line: from then on bytes go to the remote device and its replies come back (each
// after the line's round-trip delay), until the host sends the escape "+++" framed by the
// guard time (no byte for guardMs before it and after it), which the modem answers "0\r"
// in command mode. "+++" without the pauses is data for the far end. "ATH" while dialling
// abandons the call ("0\r"); "ATH" after the escape hangs up ("0\r").

#include "device.h"

#include <memory>

namespace vx::sim {

struct ModemConfig {
    int64_t dialDelayMs = 1500;
    int resultCode = 1;       // 1 "Connect"
    int64_t guardMs = 1000;   // silence before and after "+++"
    int64_t lineDelayMs = 0;  // round trip of the line, added to every reply of the far end
};

class ModemDevice : public LineDevice {
  public:
    ModemDevice(ModemConfig cfg, std::unique_ptr<Device> remote);

    void receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) override;
    int64_t nextEventNs() const override;
    void tick(int64_t nowNs, Output& out) override;

    enum class State { Command, Dialling, Online };
    State state() const { return state_; }
    const std::string& dialled() const { return number_; }

    static bool isConnectCode(int code);

  protected:
    void onCommand(const std::string& cmd, int64_t nowNs, Output& out) override;

  private:
    ModemConfig cfg_;
    std::unique_ptr<Device> remote_;
    State state_ = State::Command;
    int64_t dialDueNs_ = kNever;
    std::string number_;
    int plusRun_ = 0;               // '+' characters held back while on line
    int64_t lastRxNs_ = 0;          // the last byte from the host while on line
    int64_t escapeDueNs_ = kNever;  // "+++" held: the escape unless a byte comes first
    std::vector<uint8_t> pass_;     // bytes on their way to the far end

    void forward(size_t endPos, int64_t nowNs, Output& out);
    void escape(Output& out);
};

}  // namespace vx::sim
