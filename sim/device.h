#pragma once
// A simulated device is a pure state machine: bytes from the host go in, replies come
// out. It does no I/O and reads no clock of its own; the caller passes the time. The same
// object therefore runs behind a pseudo-terminal (PtyServer) and behind the in-process
// fake port (FakeSerialPort).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace vx::sim {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

// One reply block as the device hands it to the link.
struct Reply {
    std::vector<uint8_t> bytes;
    // Extra wait before the first byte goes out (fault injection, modem dialling).
    int64_t delayNs = 0;
    // How many bytes of the received chunk the device had taken when it answered: the
    // reply cannot start before those bytes have crossed the line.
    size_t inputPos = 0;
    // The command that caused the reply, without its CR ("ATRD", "ATVR", "***"); empty
    // for output the device produces on its own.
    std::string command;
};

// Collects the replies of one receive() or tick() call.
class Output {
  public:
    void line(std::string_view text);  // text + "\r"
    void raw(const uint8_t* data, size_t len);
    void raw(std::vector<uint8_t> bytes);
    void push(Reply r);

    // Set by the command splitter before each command is handled.
    size_t inputPos = 0;
    std::string command;

    // Asked before the device acts on a command or a binary packet (by the name its reply
    // carries: "ATRD", "ATCM14 packet"); false when the fault injection lost it on the line,
    // so the device neither acts on it nor answers. Null: every command arrives.
    std::function<bool(const std::string&)> arrives;
    bool arrived(const std::string& cmd) const { return !arrives || arrives(cmd); }

    std::vector<Reply> replies;
};

class Device {
  public:
    virtual ~Device() = default;

    // Bytes written by the host; nowNs is a monotonic time in nanoseconds.
    virtual void receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) = 0;

    // Time-driven output (the modem's dialling result): the next time tick() has work,
    // kNever when none.
    virtual int64_t nextEventNs() const { return kNever; }
    virtual void tick(int64_t /*nowNs*/, Output& /*out*/) {}

    // True once the device has gone away for good (the "vanish" fault).
    virtual bool vanished() const { return false; }

    // The power failed for a moment (the "reset" fault): the device starts again as after
    // switching on, out of every mode (monitor, uploads, dumps), its read pointers back at
    // their start, a half-received command forgotten. What it stores (flash, EEPROM, the
    // saved image, the clock) stays.
    virtual void restart(int64_t /*nowNs*/) {}
};

// Splits the host's byte stream into commands: a line ended by CR (the CR is dropped, a
// stray LF is ignored) or the three characters "***" at the start of a line, which the
// host sends without CR. A line that grows past maxLine bytes without a CR is dropped.
class CommandSplitter {
  public:
    static constexpr size_t kMaxLine = 600;
    // Feeds one byte; true when it completed a command, which is then in `command`.
    bool feed(uint8_t b, std::string& command);
    void reset() { buf_.clear(); }
    const std::string& pending() const { return buf_; }

  private:
    std::string buf_;
};

// Base for devices that answer whole commands.
class LineDevice : public Device {
  public:
    void receive(const uint8_t* data, size_t len, int64_t nowNs, Output& out) override;

    void restart(int64_t) override { splitter_.reset(); }

  protected:
    virtual void onCommand(const std::string& cmd, int64_t nowNs, Output& out) = 0;
    // A byte the device takes before the command splitter (binary transfers); true when
    // taken. out.inputPos already counts it.
    virtual bool rawByte(uint8_t /*b*/, int64_t /*nowNs*/, Output& /*out*/) { return false; }
    CommandSplitter splitter_;
};

// A device that never answers.
class SilentDevice : public Device {
  public:
    void receive(const uint8_t*, size_t, int64_t, Output&) override {}
};

// A QM43 waiting in its boot loader: answers "***" with its version byte and 0xB0, no CR.
class BootLoaderDevice : public LineDevice {
  public:
    explicit BootLoaderDevice(uint8_t version = 0x12) : version_(version) {}

  protected:
    void onCommand(const std::string& cmd, int64_t nowNs, Output& out) override;

  private:
    uint8_t version_;
};

// Helpers shared by the device models.
bool parseHex(std::string_view text, uint32_t& value);  // all characters hex, 1..8 of them
std::string hex2(unsigned v);                           // "%02X"
std::string hex4(unsigned v);                           // "%04X"

}  // namespace vx::sim
