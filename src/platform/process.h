#pragma once
// Starting another program and waiting for it: the program's path, one argument, the
// working directory it runs in. Used for the companion programs that post-process a saved
// table.

#include <functional>
#include <string>

namespace vx::platform {

// Starts `program` with the single argument `argument` in `folder` and waits until it ends,
// calling `whileWaiting` about every 50 ms (a window keeps painting). False, with *error
// saying why, when the program could not be started; its own exit status is not judged.
bool runProgramAndWait(const std::string& program, const std::string& argument, const std::string& folder,
                       const std::function<void()>& whileWaiting, std::string* error);

}  // namespace vx::platform
