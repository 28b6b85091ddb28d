// Line settings on the BSDs and macOS, where a speed_t is the rate itself.

#if !defined(__linux__) && !defined(_WIN32)

#include <sys/ioctl.h>
#include <termios.h>

#include <cstring>

#ifdef __APPLE__
#include <IOKit/serial/ioss.h>
#endif

#include "link/posix_line.h"

namespace vx::link::posix {

std::vector<uint8_t> saveLine(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return {};
    std::vector<uint8_t> saved(sizeof t);
    std::memcpy(saved.data(), &t, sizeof t);
    return saved;
}

void restoreLine(int fd, const std::vector<uint8_t>& saved) {
    if (saved.size() != sizeof(termios)) return;
    termios t{};
    std::memcpy(&t, saved.data(), sizeof t);
    tcsetattr(fd, TCSANOW, &t);
}

bool setLineRate(int fd, uint32_t baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfsetispeed(&t, speed_t(baud));
    cfsetospeed(&t, speed_t(baud));
    if (tcsetattr(fd, TCSANOW, &t) == 0) return true;
#ifdef __APPLE__
    // The classic call refuses rates outside its list; the driver's own call takes them.
    speed_t sp = speed_t(baud);
    return ioctl(fd, IOSSIOSPEED, &sp) == 0;
#else
    return false;
#endif
}

uint32_t lineRate(int fd) {
    termios t{};
    return tcgetattr(fd, &t) == 0 ? uint32_t(cfgetospeed(&t)) : 0;
}

}  // namespace vx::link::posix

#endif
