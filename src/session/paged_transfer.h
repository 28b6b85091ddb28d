#pragma once
// The loop every long transfer shares (the download's pages, the table index and the
// flash image of the verbose outputs, and the memory transfers to come): one step after
// another under the wait window, which is polled before each step so Stop ends the
// transfer between two of them, with the progress bar showing the steps done.

#include <cstdint>
#include <functional>

namespace vx::session {

enum class Transfer { Done, Stopped, Failed };

struct PagedTransfer {
    uint32_t steps = 0;
    const char* unit = "pages";  // what the steps count, for a count beside the bar
};

// Runs step(i) for i = 0 .. steps-1. A step that returns false fails the transfer; a Stop
// (or a wait window that is not open) ends it as Stopped.
Transfer runPagedTransfer(const PagedTransfer& t, const std::function<bool(uint32_t)>& step);

// Tries an action up to `attempts` times; true as soon as one succeeds.
bool withAttempts(int attempts, const std::function<bool()>& action);

}  // namespace vx::session
