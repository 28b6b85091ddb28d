#include "platform/signals.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/file_io.h"

namespace vx::platform {
namespace {

// A fixed table that the signal handler can walk without allocating or locking.
constexpr int kSlots = 16;
constexpr size_t kPathMax = 1024;
char gPaths[kSlots][kPathMax];
std::atomic<bool> gUsed[kSlots];

std::atomic<int> gInterrupts{0};
std::atomic<bool> gInterruptible{false};

void removeTempFiles() {
    for (int i = 0; i < kSlots; ++i)
        if (gUsed[i].load()) removeInSignalHandler(gPaths[i]);
}

void endBySignal(int sig) {
    removeTempFiles();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void onSignal(int sig) {
    if (sig == SIGINT && gInterruptible.load() && gInterrupts.fetch_add(1) == 0) {
#ifdef _WIN32
        std::signal(SIGINT, onSignal);  // Windows resets the handler on delivery
#endif
        return;
    }
    endBySignal(sig);
}

}  // namespace

int registerTempPath(const std::string& path) {
    if (path.size() >= kPathMax) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (gUsed[i].load()) continue;
        std::memcpy(gPaths[i], path.c_str(), path.size() + 1);
        gUsed[i].store(true);
        return i;
    }
    return -1;
}

void unregisterTempPath(int slot) {
    if (slot >= 0 && slot < kSlots) gUsed[slot].store(false);
}

void installSignalCleanup(bool interruptibleSigint) {
    gInterruptible = interruptibleSigint;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, onSignal);
#endif
#ifdef SIGXFSZ
    // A file-size limit makes the write fail (as a full disk does) instead of ending the
    // process, so the failure is reported and the temporary file removed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool interruptRequested() {
    return gInterrupts.load() > 0;
}

void requestInterrupt() {
    gInterrupts.fetch_add(1);
}

void clearInterrupt() {
    gInterrupts = 0;
}

}  // namespace vx::platform
