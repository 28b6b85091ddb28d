#include "shell/windows/placeholders.h"

namespace vx::shell {

// Not built yet: each returns at once and shows nothing.
void openPostProcessing(QWidget*) {}
void openSampleTimer(QWidget*) {}
void startMonitor(QWidget*) {}
void openInverterDetails(QWidget*) {}
int openQuickMode(QWidget*) {
    return 0;
}

}  // namespace vx::shell
