#pragma once
// What happens when the process is asked to end by a signal (Ctrl+C, SIGTERM, SIGHUP):
// the temporary files of writers still under way are removed first, so nothing half
// written is left behind; and in a terminal program the first Ctrl+C is only a request
// to stop, which the procedures read between their steps.

#include <string>

namespace vx::platform {

// Files to remove if a signal ends the process. registerTempPath returns a slot for
// unregisterTempPath, or -1 when the path cannot be kept (table full, path too long).
int registerTempPath(const std::string& path);
void unregisterTempPath(int slot);

// Installs the handlers. With interruptibleSigint the first SIGINT only sets the
// interrupt request; a second one ends the process like SIGTERM. Without it, SIGINT
// ends the process at once (after the clean-up).
void installSignalCleanup(bool interruptibleSigint);

// True once Ctrl+C has asked the running command to stop.
bool interruptRequested();
void requestInterrupt();  // as a Ctrl+C would (tests, and the handler itself)
void clearInterrupt();

}  // namespace vx::platform
