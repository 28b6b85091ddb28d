#pragma once
// Serves a simulated device on a pseudo-terminal. The program opens the slave path
// (for example /dev/pts/7) as if it were a serial port; the server reads commands from the
// master side on a background thread, runs the device, and writes its replies paced at
// the configured baud rate.

#include "device.h"
#include "pacer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vx::sim {

struct PtyServerConfig {
    uint32_t baud = 0;  // 0: unpaced
    PaceMode mode = PaceMode::Frames;
    bool closeOnVanish = false;  // close the pty when the device vanishes
};

class PtyServer {
  public:
    PtyServer(std::unique_ptr<Device> device, PtyServerConfig cfg = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pty and starts the thread; false with a reason on failure.
    bool start(std::string* err = nullptr);
    // Stops the thread and closes the pty; safe to call twice.
    void stop();

    const std::string& path() const { return path_; }
    bool running() const { return thread_.joinable(); }

    // Bytes that crossed the line each way so far (host to device, device to host).
    uint64_t bytesIn() const { return bytesIn_.load(); }
    uint64_t bytesOut() const { return bytesOut_.load(); }
    // Nanoseconds the line needs for all those bytes at the configured baud rate.
    int64_t wireTimeNs() const;

    // Runs fn with the device while the thread is not using it (for inspection).
    template <class Fn>
    void withDevice(Fn fn) {
        std::lock_guard<std::mutex> lock(mu_);
        fn(*device_);
    }

  private:
    void run();
    void closeFds();
    bool flushPending();

    std::unique_ptr<Device> device_;
    PtyServerConfig cfg_;
    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    int wake_ = -1;  // eventfd that interrupts the thread's wait
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mu_;
    std::atomic<uint64_t> bytesIn_{0};
    std::atomic<uint64_t> bytesOut_{0};
    std::vector<uint8_t> pending_;  // handed over but not yet accepted by the pty
};

// Monotonic clock in nanoseconds (CLOCK_MONOTONIC), the time base of the server.
int64_t monotonicNs();

}  // namespace vx::sim
