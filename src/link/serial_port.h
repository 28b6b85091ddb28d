#pragma once
// The one small interface through which the program reaches a serial line: a real port
// (tty, USB adapter, pseudo-terminal) through one of two backends, or an in-process fake
// used by unit tests.

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

// Why a port could not be opened or set up; `text` says it to the user.
struct PortFailure {
    enum class Kind { None, NotFound, Permission, Busy, NotSerial, RateRefused, Other };
    Kind kind = Kind::None;
    std::string text;
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    virtual const std::string& name() const = 0;

    // Current line settings (empty state when they cannot be read).
    virtual PortState state() = 0;
    virtual void setState(const PortState& s) = 0;

    // The program's line settings: baud, 8 data bits, no parity, 1 stop bit, no CTS flow
    // control, DTR and RTS both held on or both off; everything else left as it was. The
    // rate is read back: false with *why set when the driver did not take it.
    virtual bool configure(uint32_t baud, bool dtrRtsOn, PortFailure* why = nullptr) = 0;

    // Discards every byte received and not yet taken.
    virtual void discardInput() = 0;

    // Writes the block; returns how many bytes were accepted.
    virtual size_t write(const uint8_t* data, size_t len) = 0;

    // Takes one byte that has arrived, without waiting; false when none is at hand.
    // Bytes become at hand through waitReadable, which fetches what the driver holds.
    virtual bool readByte(uint8_t& b) = 0;

    // Waits until a byte can be taken or timeoutMs has passed (0: only looks); true when
    // one can. Never spins.
    virtual bool waitReadable(int timeoutMs) = 0;

    // True once the device has gone away for good (a USB adapter pulled out, the far end
    // of a pseudo-terminal closed): nothing will ever arrive again.
    virtual bool gone() const { return false; }

    // The clock the port's time-outs are measured with, and a pause on it. Real ports use
    // the process's monotonic clock; the fake port of the unit tests its virtual one.
    virtual uint64_t nowMs() const;
    virtual void sleepMs(uint32_t ms);
};

// Opens a real port by name, for reading and writing, exclusively, only if it exists.
// A name with a folder in it ("/dev/ttyUSB0", "./lnk") is opened as given; a bare name
// ("ttyUSB0", "COM3") is the platform's device of that name. The backend is POSIX termios
// by default where it exists, QSerialPort on Windows or when VENDRIX_SERIAL=qt. nullptr
// with *why set when the port cannot be opened.
std::unique_ptr<SerialPort> openSerialPort(const std::string& name, PortFailure* why = nullptr);

// The backends themselves (openSerialPort chooses between them). The QSerialPort backend
// runs no event loop, but Qt warns about its socket notifiers unless a QCoreApplication
// exists. QSerialPort sets its own line settings (9600 8N1) when it opens a port, so the
// state saved afterwards is those, not the ones the port had before.
std::unique_ptr<SerialPort> openPosixSerialPort(const std::string& name, PortFailure* why);
std::unique_ptr<SerialPort> openQtSerialPort(const std::string& name, PortFailure* why);

// The baud rates the program offers (command line -b): 1200 ... 256000.
extern const uint32_t kBaudRates[12];

}  // namespace vx::link
