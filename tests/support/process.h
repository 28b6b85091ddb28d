#pragma once
// Runs one of the project's programs as a separate process, the way a script would: its
// arguments, its working folder, limits and signals, and what it printed.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vx::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it was ended by a signal
    int signal = 0;     // the signal that ended it
    std::string out, err;
};

struct ProcessOptions {
    std::string cwd;                             // "" : the test's own
    std::vector<std::string> env;                // "NAME=value" added to the environment
    long fileSizeLimit = -1;                     // bytes a file may grow to (a full disk), -1: none
    std::chrono::milliseconds hangGuard{60000};  // killed after this long: a hung program fails the test
    // Called every 20 ms while it runs, with its pid; may send it a signal.
    std::function<void(pid_t)> whileRunning;
};

// The program `name` built next to the test binary (build/<preset>/bin).
std::string programPath(const std::string& name);

ProcessResult runProgram(const std::string& path, const std::vector<std::string>& args,
                         const ProcessOptions& opts = {});

}  // namespace vx::test
