#pragma once
// A bare pseudo-terminal for the tests of the serial backends: the program opens the
// slave by its path, the test writes on the master side and reads the slave's line
// settings as the driver holds them (termios2, the rate as a number). No file that
// includes this may include <termios.h>: both define the same structures.

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

namespace vx::test {

class PtyLine {
  public:
    PtyLine() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
            ptsname_r(master_, name, sizeof name) != 0)
            return;
        path_ = name;
        // Held open by the test, so the settings outlive the program's port.
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~PtyLine() { hangUp(); }
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool ok() const { return slave_ >= 0; }
    const std::string& path() const { return path_; }

    termios2 settings() const {
        termios2 t{};
        ioctl(slave_, TCGETS2, &t);
        return t;
    }
    void setSettings(const termios2& t) { ioctl(slave_, TCSETS2, &t); }

    // Sends bytes to the program and waits until the slave side holds them.
    void send(const std::string& bytes) {
        int before = pending();
        (void)!write(master_, bytes.data(), bytes.size());
        for (int i = 0; i < 1000 && pending() < before + int(bytes.size()); ++i)
            poll(nullptr, 0, 1);
    }

    // Closes the device side for good, as a pulled-out adapter does.
    void hangUp() {
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
        master_ = slave_ = -1;
    }

  private:
    int pending() const {
        int n = 0;
        ioctl(slave_, FIONREAD, &n);
        return n;
    }

    int master_ = -1, slave_ = -1;
    std::string path_;
};

}  // namespace vx::test
