// The simulated line where the program's tests do not look: the pacing arithmetic, a
// paced stream never faster than the line, the byte counts, reopening, stopping, a
// vanishing port that takes the pty along, and vendrix-devsim as a process.

#include "sim/options.h"
#include "sim/pty_server.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <climits>
#include <csignal>

using namespace vx::sim;

namespace {

TEST(SimPacer, FramesHandOverEverythingArrivedAtEachMillisecondAndNoMore) {
    EXPECT_EQ(LinePacer(256000).wireNs(528), 20625000);  // ten bits per byte
    EXPECT_EQ(LinePacer(9600).wireNs(1), 1041666);
    LinePacer p(256000, PaceMode::Frames);
    const int64_t start = 300000;  // 0.3 ms into a frame
    p.enqueue(std::vector<uint8_t>(2560, 0x55), start);
    std::vector<uint8_t> out;
    while (!p.empty()) {
        int64_t due = p.nextDueNs();
        ASSERT_EQ(due % LinePacer::kFrameNs, 0) << "hand-over off the frame grid";
        size_t n = p.take(due, out);
        // All bytes whose last bit has passed by the frame boundary, and no more.
        size_t arrived = size_t((due - start) * 256000 / 10000000000);
        EXPECT_EQ(out.size(), std::min<size_t>(arrived, 2560)) << "at " << due;
        ASSERT_TRUE(n >= 1 && n <= 26) << n << " bytes at " << due;
    }
    EXPECT_EQ(p.bytesOut(), 2560u);
}

std::unique_ptr<PtyServer> serve(const std::string& settings,
                                 std::shared_ptr<const Session>* session = nullptr) {
    Options o;
    std::string err;
    EXPECT_TRUE(parseSimSettings(settings, o, err)) << err;
    auto s = std::make_unique<PtyServer>(makeDevice(o, err, session),
                                         PtyServerConfig{o.baud, o.mode, o.closeOnVanish});
    EXPECT_TRUE(s->start(&err)) << err;
    return s;
}

// The program's end of the pty (the server made it raw).
struct Host {
    explicit Host(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_GE(fd, 0) << path;
    }
    ~Host() { ::close(fd); }
    void write(const std::string& s) { ASSERT_EQ(::write(fd, s.data(), s.size()), ssize_t(s.size())); }
    // Exactly n bytes, or what came before a pause of 5 s.
    std::string read(size_t n) {
        std::string out;
        char buf[4096];
        for (pollfd p{fd, POLLIN, 0}; out.size() < n && poll(&p, 1, 5000) > 0;) {
            ssize_t k = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
            if (k <= 0) break;
            out.append(buf, size_t(k));
        }
        return out;
    }
    const int fd;
};

// 40 page requests written at once: the replies follow each other on the line with no
// gap, so the stream takes at least its wire time. (Only a lower bound: a busy machine
// may add to it.)
TEST(SimPty, PacedStreamIsNeverFasterThanTheLineIsCountedAndThePortCanBeReopened) {
    for (const char* mode : {"", ",bytewise"}) {
        SCOPED_TRACE(mode);
        std::shared_ptr<const Session> session;
        auto s = serve(std::string("qm41,pages=50,baud=256000") + mode, &session);
        {
            Host h(s->path());
            h.write("ATRD" + hex4(0x8000u | session->pageTab) + "\r");
            ASSERT_EQ(h.read(3), "OK\r");
            std::string cmds, want;
            for (int k = 0; k < 40; ++k) {
                cmds += "ATRD\r";
                want.append(reinterpret_cast<const char*>(session->page(session->pageTab + k)), 528);
            }
            int64_t t0 = monotonicNs();
            h.write(cmds);
            ASSERT_TRUE(h.read(40 * 528) == want) << "the 40 pages from the table page on";
            EXPECT_GT(double(monotonicNs() - t0) / double(LinePacer(256000).wireNs(5 + 40 * 528)), 0.995);
        }
        // The server counts a write after it returns: the host may see the bytes a moment earlier.
        for (int i = 0; i < 1000 && s->bytesOut() < 3u + 40 * 528; ++i)
            usleep(1000);
        EXPECT_EQ(s->bytesOut(), 3u + 40 * 528);
        EXPECT_EQ(s->bytesIn(), 9u + 40 * 5);
        EXPECT_EQ(s->wireTimeNs(), LinePacer(256000).wireNs(12u + 40 * 533));
        Host again(s->path());  // the program closed the path and opens it again
        again.write("***");
        EXPECT_EQ(again.read(3), "OK\r");
    }
}

TEST(SimPty, StopEndsAStreamAndRemovesThePortAndAVanishingDeviceCanTakeItAlong) {
    auto s = serve("qm41,pages=5,baud=9600");
    const std::string path = s->path();
    {
        Host h(path);
        h.write("ATRD8000\rATRD\r");  // stopped in the middle of a stream
        s->stop();
        EXPECT_FALSE(s->running());
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_LT(fd, 0) << "the pty outlived its server";
    if (fd >= 0) ::close(fd);

    auto v = serve("qm41,vanish-nth=2,vanish-close");
    Host h(v->path());
    h.write("ATVR\r");
    EXPECT_EQ(h.read(5), "0020\r");
    h.write("ATVR\r");
    pollfd p{h.fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << "revents " << p.revents;
}

TEST(SimDevsim, PrintsItsPortServesAndExitsCleanlyOnSigterm) {
    char self[PATH_MAX] = {0};
    std::string exe(self, size_t(std::max<ssize_t>(0, readlink("/proc/self/exe", self, sizeof self - 1))));
    exe = "'" + exe.substr(0, exe.rfind('/')) + "/vendrix-devsim'";
    if (system((exe + " --help >/dev/null 2>&1").c_str()) != 0) GTEST_SKIP() << exe << " not built";
    // The shell prints its process id, which the program keeps when it takes the shell's place.
    FILE* out =
        popen(("echo $$; exec " + exe + " qm43 --fw 12 --nodes=3 --baud 115200 2>/dev/null").c_str(), "r");
    int pid = 0;
    char path[256] = {0};
    ASSERT_EQ(fscanf(out, "%d PORT %255s", &pid, path), 2) << "PORT <path> is the first line";
    {
        Host h(path);
        h.write("ATVR\r");
        EXPECT_EQ(h.read(5), "B012\r");
    }
    kill(pid, SIGTERM);
    int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
