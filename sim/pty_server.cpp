#include "pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace vx::sim {

namespace {

// How long before a pacing deadline the thread stops waiting for input and sleeps onto
// the deadline itself with an absolute-time sleep.
constexpr int64_t kFinalApproachNs = 200000;

timespec toTimespec(int64_t ns) {
    timespec ts;
    ts.tv_sec = time_t(ns / 1000000000);
    ts.tv_nsec = long(ns % 1000000000);
    return ts;
}

void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

int64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

PtyServer::PtyServer(std::unique_ptr<Device> device, PtyServerConfig cfg)
    : device_(std::move(device)), cfg_(cfg) {}

PtyServer::~PtyServer() {
    stop();
}

int64_t PtyServer::wireTimeNs() const {
    LinePacer p(cfg_.baud);
    return p.wireNs(bytesIn() + bytesOut());
}

bool PtyServer::start(std::string* err) {
    if (thread_.joinable()) return true;
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    char name[256] = {0};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        if (err) *err = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    // Raw on the master side too: the program may reconfigure the slave, but the server
    // never depends on that.
    makeRaw(master_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_ < 0) {
        if (err) *err = std::string("eventfd: ") + std::strerror(errno);
        closeFds();
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void PtyServer::stop() {
    if (thread_.joinable()) {
        stop_ = true;
        uint64_t one = 1;
        ssize_t w = write(wake_, &one, sizeof one);
        (void)w;
        thread_.join();
    }
    closeFds();
}

void PtyServer::closeFds() {
    for (int* fd : {&master_, &slave_, &wake_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

bool PtyServer::flushPending() {
    while (!pending_.empty()) {
        ssize_t n = write(master_, pending_.data(), pending_.size());
        if (n > 0) {
            bytesOut_ += uint64_t(n);
            pending_.erase(pending_.begin(), pending_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return false;  // EAGAIN: the host is not reading; wait for POLLOUT
    }
    return true;
}

void PtyServer::run() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    LinePacer pacer(cfg_.baud, cfg_.mode);
    std::vector<uint8_t> buf(4096);
    std::vector<uint8_t> due;
    bool open = true;

    while (!stop_) {
        int64_t now = monotonicNs();
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (device_->nextEventNs() <= now) {
                Output out;
                device_->tick(now, out);
                for (const Reply& r : out.replies)
                    pacer.enqueue(r.bytes, now + r.delayNs);
            }
            if (open && cfg_.closeOnVanish && device_->vanished()) {
                close(master_);
                close(slave_);
                master_ = slave_ = -1;
                open = false;
            }
        }
        due.clear();
        pacer.take(now, due);
        if (open && !due.empty()) {
            pending_.insert(pending_.end(), due.begin(), due.end());
            flushPending();
        } else if (!open) {
            pending_.clear();
        }

        int64_t deadline;
        {
            std::lock_guard<std::mutex> lock(mu_);
            deadline = std::min(pacer.nextDueNs(), device_->nextEventNs());
        }
        pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, short(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0}};
        const nfds_t nfds = open ? 2 : 1;
        int64_t waitUntil = deadline == kNever ? kNever : deadline - kFinalApproachNs;
        now = monotonicNs();
        int rc;
        if (waitUntil == kNever) {
            rc = ppoll(fds, nfds, nullptr, nullptr);
        } else {
            timespec rel = toTimespec(std::max<int64_t>(0, waitUntil - now));
            rc = ppoll(fds, nfds, &rel, nullptr);
        }
        if (rc < 0 && errno != EINTR) break;
        if (rc == 0 && deadline != kNever) {
            // Nothing came in: sleep onto the deadline exactly.
            timespec abs = toTimespec(deadline);
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &abs, nullptr) == EINTR) {
            }
            continue;
        }
        if (rc <= 0) continue;
        if (fds[0].revents & POLLIN) {
            uint64_t v;
            ssize_t r = read(wake_, &v, sizeof v);
            (void)r;
        }
        if (!open) continue;
        if (fds[1].revents & POLLOUT) flushPending();
        if (fds[1].revents & POLLIN) {
            ssize_t n = read(master_, buf.data(), buf.size());
            if (n <= 0) continue;
            bytesIn_ += uint64_t(n);
            now = monotonicNs();
            int64_t start = pacer.hostWrite(size_t(n), now);
            Output out;
            std::lock_guard<std::mutex> lock(mu_);
            device_->receive(buf.data(), size_t(n), now, out);
            for (const Reply& r : out.replies)
                pacer.enqueue(r.bytes, start + pacer.wireNs(r.inputPos) + r.delayNs);
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            // Nobody has the slave open apart from us (cannot happen while we hold it),
            // or the pty is broken: avoid a busy loop.
            timespec ts = toTimespec(1000000);
            nanosleep(&ts, nullptr);
        }
    }
}

}  // namespace vx::sim
