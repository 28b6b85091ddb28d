#include "session/paged_transfer.h"

#include "ui/wait_window.h"

namespace vx::session {

Transfer runPagedTransfer(const PagedTransfer& t, const std::function<bool(uint32_t)>& step) {
    vx::ui::setWaitUnit(t.unit);
    Setbar_wait_msg(0, t.steps);
    for (uint32_t i = 0; i < t.steps; ++i) {
        if (!Test_wait_msg()) return Transfer::Stopped;
        if (!step(i)) return Transfer::Failed;
        Setbar_wait_msg(i + 1, t.steps);  // steps done, so the bar ends at 100%
    }
    vx::ui::setWaitUnit("");
    return Transfer::Done;
}

bool withAttempts(int attempts, const std::function<bool()>& action) {
    for (int i = 0; i < attempts; ++i)
        if (action()) return true;
    return false;
}

}  // namespace vx::session
