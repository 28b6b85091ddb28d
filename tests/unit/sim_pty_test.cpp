// The pty server as a program sees it: a path to open, fast unpaced round trips, paced
// output at the configured rate without drift, byte counts, clean stop, and a device that
// vanishes with its port.

#include "sim/options.h"
#include "sim/pty_server.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

using namespace vx::sim;

namespace {

std::unique_ptr<PtyServer> serve(const std::string& settings,
                                 std::shared_ptr<const Session>* session = nullptr) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    auto dev = makeDevice(o, err, session);
    EXPECT_TRUE(dev) << err;
    PtyServerConfig cfg;
    cfg.baud = o.baud;
    cfg.mode = o.mode;
    cfg.closeOnVanish = o.closeOnVanish;
    auto s = std::make_unique<PtyServer>(std::move(dev), cfg);
    EXPECT_TRUE(s->start(&err)) << err;
    return s;
}

// The program's end: its own raw settings, as a serial port layer would set them.
class Host {
  public:
    explicit Host(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd_, 0) << path;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);  // whatever the program asks; the server ignores it
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Host() {
        if (fd_ >= 0) ::close(fd_);
    }
    void write(const std::string& s) { ASSERT_EQ(::write(fd_, s.data(), s.size()), ssize_t(s.size())); }
    // Reads exactly n bytes (or until the time-out).
    std::string read(size_t n, int timeoutMs = 2000) {
        std::string out;
        char buf[4096];
        while (out.size() < n) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) break;
            ssize_t k = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
            if (k <= 0) break;
            out.append(buf, size_t(k));
        }
        return out;
    }
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

double seconds(int64_t ns) {
    return double(ns) / 1e9;
}

// The server counts a write after it returns, so the host may see the bytes a moment
// before the count does.
void waitForCount(const PtyServer& s, uint64_t out) {
    for (int i = 0; i < 100 && s.bytesOut() < out; ++i)
        usleep(1000);
}

TEST(SimPty, UnpacedRoundTripIsFast) {
    auto s = serve("qm41,fw=19");
    ASSERT_EQ(s->path().rfind("/dev/pts/", 0), 0u) << s->path();
    Host h(s->path());
    std::vector<int64_t> rt;
    for (int i = 0; i < 2000; ++i) {
        int64_t t0 = monotonicNs();
        h.write("ATVR\r");
        ASSERT_EQ(h.read(5), "0019\r");
        rt.push_back(monotonicNs() - t0);
    }
    std::nth_element(rt.begin(), rt.begin() + 1000, rt.end());
    // Measured about 30-60 us (bench/run prints it). Only a server that waits for a
    // timer instead of the data is caught here: a busy machine must not fail the test.
    EXPECT_LT(rt[1000], 20000000) << "median round trip " << rt[1000] << " ns";
    waitForCount(*s, 2000u * 5);
    EXPECT_EQ(s->bytesIn(), 2000u * 5);
    EXPECT_EQ(s->bytesOut(), 2000u * 5);
}

// 40 page requests written at once: the replies follow each other on the line with no
// gap, so the whole stream must take its wire time, neither less nor noticeably more.
void streamRate(const std::string& settings) {
    std::shared_ptr<const Session> session;
    auto s = serve(settings, &session);
    Host h(s->path());
    h.write("ATRD" + hex4(0x8000u | session->pageTab) + "\r");
    ASSERT_EQ(h.read(3), "OK\r");
    std::string cmds;
    for (int i = 0; i < 40; ++i)
        cmds += "ATRD\r";
    int64_t t0 = monotonicNs();
    h.write(cmds);
    std::string got = h.read(40 * 528, 5000);
    int64_t elapsed = monotonicNs() - t0;
    ASSERT_EQ(got.size(), 40u * 528);
    for (int k = 0; k < 40; ++k) {
        const uint8_t* pg = session->page((session->pageTab + k) & 0xFFF);
        ASSERT_EQ(got.compare(size_t(k) * 528, 528, reinterpret_cast<const char*>(pg), 528), 0)
            << "page " << k;
    }
    LinePacer line(256000);
    double ideal = seconds(line.wireNs(5) + line.wireNs(40 * 528));
    double ratio = seconds(elapsed) / ideal;
    EXPECT_GT(ratio, 0.995) << "faster than the line allows";
    // The rate itself is a figure of bench/run; here only a grossly slow line fails.
    EXPECT_LT(ratio, 1.5) << "slower than the line";
    waitForCount(*s, 3u + 40 * 528);
    EXPECT_EQ(s->bytesOut(), 3u + 40 * 528);
    EXPECT_EQ(s->bytesIn(), 9u + 40 * 5);
}

TEST(SimPty, PacedStreamKeepsTheBaudRateInFrames) {
    streamRate("qm41,pages=50,baud=256000");
}
TEST(SimPty, PacedStreamKeepsTheBaudRateBytewise) {
    streamRate("qm41,pages=50,baud=256000,bytewise");
}

TEST(SimPty, PacedRoundTripsTakeAtLeastTheirWireTime) {
    auto s = serve("qm41,baud=9600");
    Host h(s->path());
    int64_t t0 = monotonicNs();
    for (int i = 0; i < 10; ++i) {
        h.write("ATVR\r");
        ASSERT_EQ(h.read(5), "0020\r");
    }
    double elapsed = seconds(monotonicNs() - t0);
    waitForCount(*s, 50);
    double wire = seconds(s->wireTimeNs());  // 100 bytes at 960 B/s
    EXPECT_NEAR(wire, 100.0 / 960, 1e-6);
    EXPECT_GT(elapsed, wire);
    EXPECT_LT(elapsed, wire + 10 * 0.1) << "not a whole time-out per transaction";
}

TEST(SimPty, ServesAgainAfterTheProgramClosesAndReopensThePort) {
    auto s = serve("qm43,fw=12");
    {
        Host h(s->path());
        h.write("***");
        EXPECT_EQ(h.read(3), "OK\r");
    }
    Host h2(s->path());
    h2.write("ATVR\r");
    EXPECT_EQ(h2.read(5), "B012\r");
}

TEST(SimPty, ModemResultComesAfterTheDialDelay) {
    auto s = serve("modem,dial-delay=200");
    Host h(s->path());
    h.write("ATV0\r");
    EXPECT_EQ(h.read(2), "0\r");
    int64_t t0 = monotonicNs();
    h.write("ATDT12345\r");
    EXPECT_EQ(h.read(2, 1000), "1\r");
    double ms = seconds(monotonicNs() - t0) * 1000;
    EXPECT_GT(ms, 199);
    EXPECT_LT(ms, 2000);
}

TEST(SimPty, StopJoinsEvenInTheMiddleOfAStreamAndRemovesThePort) {
    auto s = serve("qm41,pages=5,baud=9600");
    std::string path = s->path();
    {
        Host h(path);
        h.write("ATRD8000\r");
        h.write("ATRD\r");
        int64_t t0 = monotonicNs();
        s->stop();
        EXPECT_LT(seconds(monotonicNs() - t0), 2.0);
        EXPECT_FALSE(s->running());
        s->stop();  // twice is harmless
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_LT(fd, 0) << "the pty outlived its server";
    if (fd >= 0) ::close(fd);
}

TEST(SimPty, VanishingDeviceCanTakeItsPortAlong) {
    auto s = serve("qm41,vanish-nth=2,vanish-close");
    Host h(s->path());
    h.write("ATVR\r");
    EXPECT_EQ(h.read(5), "0020\r");
    h.write("ATVR\r");
    pollfd p{h.fd(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << "revents " << p.revents;
    char c;
    EXPECT_LE(::read(h.fd(), &c, 1), 0);
}

}  // namespace
