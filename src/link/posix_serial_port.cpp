// Real serial ports on POSIX systems (Linux, macOS): termios with non-blocking reads,
// poll() for waiting, and a small input buffer so that bytes read in bulk from the
// driver are handed out one at a time, exactly as a byte-wise read would see them.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "link/serial_port.h"

namespace vx::link {
namespace {

speed_t speedFor(uint32_t baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
#ifdef B230400
        case 230400:
            return B230400;
#endif
#ifdef B460800
        case 460800:
            return B460800;
#endif
        default:
            return 0;
    }
}

void sleepMs(int ms) {
    if (ms <= 0) return;
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    ~PosixSerialPort() override {
        ioctl(fd_, TIOCNXCL);
        flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    const std::string& name() const override { return name_; }

    PortState state() override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return {};
        PortState s;
        s.native.resize(sizeof t);
        std::memcpy(s.native.data(), &t, sizeof t);
        return s;
    }

    void setState(const PortState& s) override {
        if (s.native.size() != sizeof(termios)) return;
        termios t{};
        std::memcpy(&t, s.native.data(), sizeof t);
        tcsetattr(fd_, TCSANOW, &t);
    }

    bool configure(uint32_t baud, bool dtrRtsOn, PortFailure*) override {
        termios t{};
        if (tcgetattr(fd_, &t) == 0) {
            // Raw 8N1: no translation of CR or LF, no echo, no software flow control; a
            // read returns at once with what is there.
            cfmakeraw(&t);
            t.c_cflag |= CLOCAL | CREAD;
            t.c_cflag &= ~(CSTOPB | PARENB);
#ifdef CRTSCTS
            t.c_cflag &= ~CRTSCTS;
#endif
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            if (speed_t sp = speedFor(baud)) {
                cfsetispeed(&t, sp);
                cfsetospeed(&t, sp);
            }
            // Rates the platform cannot name (14400, 56000, 128000, 256000) keep the port's
            // present rate; on pseudo-terminals the rate has no effect anyway.
            tcsetattr(fd_, TCSANOW, &t);
        }
        int bits = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd_, dtrRtsOn ? TIOCMBIS : TIOCMBIC, &bits);  // fails quietly on ptys
        return true;
    }

    void discardInput() override {
        head_ = tail_ = 0;
        tcflush(fd_, TCIFLUSH);
    }

    size_t write(const uint8_t* data, size_t len) override {
        size_t done = 0;
        while (done < len && !dead_) {
            ssize_t n = ::write(fd_, data + done, len - done);
            if (n > 0) {
                done += size_t(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) break;  // a line that takes nothing for 1 s
            } else {
                dead_ = true;
            }
        }
        return done;
    }

    bool readByte(uint8_t& b) override {
        if (head_ == tail_) return false;
        b = buf_[head_++];
        return true;
    }

    bool gone() const override { return dead_; }

    bool waitReadable(int timeoutMs) override {
        if (head_ != tail_) return true;
        if (dead_) {
            sleepMs(timeoutMs);
            return false;
        }
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r > 0 && fill()) return true;
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // The device went away: poll would now return at once forever.
            dead_ = true;
        }
        return false;
    }

  private:
    bool fill() {
        if (dead_) return false;
        head_ = tail_ = 0;
        for (;;) {
            ssize_t n = ::read(fd_, buf_, sizeof buf_);
            if (n > 0) {
                tail_ = size_t(n);
                return true;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) dead_ = true;  // EIO: the device vanished
            return false;
        }
    }

    int fd_;
    std::string name_;
    uint8_t buf_[4096];
    size_t head_ = 0, tail_ = 0;
    bool dead_ = false;
};

std::string devicePath(const std::string& name) {
    if (name.empty() || name[0] == '/') return name;
    return "/dev/" + name;
}

}  // namespace

std::unique_ptr<SerialPort> openPosixSerialPort(const std::string& name, PortFailure*) {
    std::string path = devicePath(name);
    if (path.empty()) return nullptr;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // Only terminals are serial ports, and a port in use by another program is refused.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixSerialPort>(fd, name);
}

}  // namespace vx::link
