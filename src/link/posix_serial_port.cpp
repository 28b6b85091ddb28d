// Real serial ports on POSIX systems (Linux, macOS): termios with non-blocking reads,
// poll() for waiting, and a small input buffer so that bytes read in bulk from the
// driver are handed out one at a time, exactly as a byte-wise read would see them.

#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "link/port_failure.h"
#include "link/port_path.h"
#include "link/posix_line.h"
#include "link/serial_port.h"
#include "platform/device_file.h"

namespace vx::link {
namespace {

using Kind = PortFailure::Kind;

class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    ~PosixSerialPort() override {
        ioctl(fd_, TIOCNXCL);
        flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    const std::string& name() const override { return name_; }

    PortState state() override { return {posix::saveLine(fd_)}; }

    void setState(const PortState& s) override { posix::restoreLine(fd_, s.native); }

    bool configure(uint32_t baud, bool dtrRtsOn, PortFailure* why) override {
        termios t{};
        if (tcgetattr(fd_, &t) == 0) {
            // Raw 8N1: no translation of CR or LF, no echo, no software flow control; a
            // read returns at once with what is there. The rate is set on its own below.
            cfmakeraw(&t);
            t.c_iflag &= ~(IXOFF | IXANY);
            t.c_cflag |= CLOCAL | CREAD;
            t.c_cflag &= ~(CSTOPB | PARENB);
#ifdef CRTSCTS
            t.c_cflag &= ~CRTSCTS;
#endif
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            tcsetattr(fd_, TCSANOW, &t);
        }
        // Drivers may refuse a rate or round it to one their clock can make: only the
        // rate read back counts.
        posix::setLineRate(fd_, baud);
        uint32_t got = posix::lineRate(fd_);
        int bits = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd_, dtrRtsOn ? TIOCMBIS : TIOCMBIC, &bits);  // fails quietly on ptys
        if (rateTaken(baud, got)) return true;
        if (why) *why = rateRefused(portPath(name_), baud, got);
        return false;
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

    bool gone() const override {
        return dead_;
    }

    bool waitReadable(int timeoutMs) override {
        if (head_ != tail_) return true;
        if (dead_) {
            sleepMs(uint32_t(timeoutMs < 0 ? 0 : timeoutMs));
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

// Why open() failed on the device at `path`.
PortFailure openError(int err, const std::string& path) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO:
            return openFailure(Kind::NotFound, path);
        case EACCES:
        case EPERM:
            return openFailure(Kind::Permission, path, platform::fileGroup(path));
        case EBUSY:  // another opener set TIOCEXCL
            return openFailure(Kind::Busy, path);
        default:
            return openFailure(Kind::Other, path, std::strerror(err));
    }
}

}  // namespace

std::unique_ptr<SerialPort> openPosixSerialPort(const std::string& name, PortFailure* why) {
    const std::string path = portPath(name);
    PortFailure failure;
    int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (path.empty()) {
        failure = openFailure(Kind::NotFound, path);
    } else if (fd < 0) {
        failure = openError(errno, path);
    } else if (!isatty(fd)) {
        failure = openFailure(Kind::NotSerial, path);
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        // A port in use by another program is refused, and ours is kept from others.
        failure = errno == EWOULDBLOCK || errno == EBUSY
                      ? openFailure(Kind::Busy, path)
                      : openFailure(Kind::Other, path, std::strerror(errno));
    } else {
        return std::make_unique<PosixSerialPort>(fd, name);
    }
    if (fd >= 0) ::close(fd);
    if (why) *why = failure;
    return nullptr;
}

}  // namespace vx::link

#endif
