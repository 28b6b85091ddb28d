#pragma once
// The one small interface through which the program reaches a serial line: a real port
// (tty, USB adapter, pseudo-terminal) or an in-process fake used by unit tests.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vx::link {

// Line settings as the platform stores them; opaque to the program. Saved when the
// program takes a port over and given back to ports it rejects.
struct PortState {
    std::vector<uint8_t> native;
    bool valid() const { return !native.empty(); }
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    virtual const std::string& name() const = 0;

    // Current line settings (empty state when they cannot be read).
    virtual PortState state() = 0;
    virtual void setState(const PortState& s) = 0;

    // The program's line settings: baud, 8 data bits, no parity, 1 stop bit, no CTS flow
    // control, DTR and RTS both held on or both off; everything else left as it was.
    virtual void configure(uint32_t baud, bool dtrRtsOn) = 0;

    // Discards every byte received and not yet taken.
    virtual void discardInput() = 0;

    // Writes the block; returns how many bytes were accepted.
    virtual size_t write(const uint8_t* data, size_t len) = 0;

    // Takes one byte that has arrived, without waiting; false when none is at hand.
    // Bytes become at hand through waitReadable, which fetches what the driver holds.
    virtual bool readByte(uint8_t& b) = 0;

    // Waits until a byte can be taken or timeoutMs has passed (0: only looks); true when
    // one can. Never spins: a port whose device has vanished sleeps out the time-out.
    virtual bool waitReadable(int timeoutMs) = 0;
};

// Opens a real port by name ("/dev/ttyUSB0", "ttyUSB0", "COM3", a pseudo-terminal path),
// for reading and writing, exclusively, only if it exists. nullptr when it cannot.
std::unique_ptr<SerialPort> openSerialPort(const std::string& name);

}  // namespace vx::link
