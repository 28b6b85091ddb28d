#include "support/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vx::test {

PtyPeer::PtyPeer(Responder responder) : responder_(std::move(responder)) {
    termios raw{};
    cfmakeraw(&raw);
    char name[128] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) == 0) {
        path_ = name;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        thread_ = std::thread([this] { serve(); });
    }
}

PtyPeer::~PtyPeer() {
    vanish();
}

void PtyPeer::send(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mu_);
    if (master_ >= 0) (void)!write(master_, bytes.data(), bytes.size());
}

std::vector<std::string> PtyPeer::commands() {
    std::lock_guard<std::mutex> lock(mu_);
    return commands_;
}

void PtyPeer::vanish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mu_);
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
}

void PtyPeer::serve() {
    std::string pending;
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        int r = poll(&p, 1, 20);
        if (r > 0 && (p.revents & POLLIN)) {
            char buf[1024];
            ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0) pending.append(buf, size_t(n));
        }
        // Split what came into commands: up to a carriage return, or "***", or a block
        // that stopped arriving.
        for (;;) {
            size_t n = pending.rfind("***", 0) == 0 ? 3 : pending.find('\r') + 1;  // 0: no terminator
            if (n == 0 && r == 0) n = pending.size();
            if (n == 0) break;
            std::string cmd = pending.substr(0, n);
            pending.erase(0, cmd.size());
            {
                std::lock_guard<std::mutex> lock(mu_);
                commands_.push_back(cmd);
            }
            if (responder_) {
                std::string reply = responder_(cmd);
                if (!reply.empty()) send(reply);
            }
        }
    }
}

}  // namespace vx::test
