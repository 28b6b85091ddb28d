// Line settings through termios2, which carries the rate as a number: any rate the driver
// can make, not only the B-constants of <termios.h>.

#ifdef __linux__

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>

#include "link/posix_line.h"

namespace vx::link::posix {
namespace {

// The classic code of a rate, 0 for none. Classic rates keep their code, so that
// programs that read the line with <termios.h> (stty, older tools) still see them.
tcflag_t classicCode(uint32_t baud) {
    static const struct {
        uint32_t baud;
        tcflag_t code;
    } codes[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},    {9600, B9600},
                 {19200, B19200},   {38400, B38400},   {57600, B57600},  {115200, B115200},
                 {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& c : codes)
        if (c.baud == baud) return c.code;
    return 0;
}

}  // namespace

std::vector<uint8_t> saveLine(int fd) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return {};
    std::vector<uint8_t> saved(sizeof t);
    std::memcpy(saved.data(), &t, sizeof t);
    return saved;
}

void restoreLine(int fd, const std::vector<uint8_t>& saved) {
    if (saved.size() != sizeof(termios2)) return;
    termios2 t{};
    std::memcpy(&t, saved.data(), sizeof t);
    ioctl(fd, TCSETS2, &t);
}

bool setLineRate(int fd, uint32_t baud) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    // The classic code, or BOTHER: the rate is the number in c_ospeed. No input code
    // means "as the output".
    const tcflag_t code = classicCode(baud);
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= code != 0 ? code : BOTHER;
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &t) == 0;
}

uint32_t lineRate(int fd) {
    termios2 t{};
    return ioctl(fd, TCGETS2, &t) == 0 ? uint32_t(t.c_ospeed) : 0;
}

}  // namespace vx::link::posix

#endif
