#pragma once
// The protocol trace of one run of a program, into the file the user named with
// "--trace FILE": opened before the program does anything, written as it goes, committed
// when the run ends however it ended (a failed or interrupted run leaves its trace too).

#include <memory>
#include <string>
#include <vector>

#include "link/trace.h"
#include "platform/atomic_file.h"

namespace vx::shell {

// "--trace FILE" or "--trace=FILE" taken out of the arguments before a "--" (the last one
// given counts). `error` says what is wrong ("--trace needs a file name").
struct TraceSwitch {
    bool given = false;
    std::string file;
    std::string error;
};
TraceSwitch takeTraceSwitch(std::vector<std::string>& args);

// The lines that open a trace: program and build, platform, date and time, the command
// line (arguments quoted where they hold blanks).
void writeTraceHeader(vx::link::TraceLog& log, const std::vector<std::string>& commandLine);

// Every message box shown goes into the trace in use, marked as a message.
void traceMessageBoxes();

class TraceRun {
  public:
    TraceRun() = default;
    ~TraceRun();  // finish()
    TraceRun(const TraceRun&) = delete;
    TraceRun& operator=(const TraceRun&) = delete;

    // Opens the file and makes it the trace in use. False with error() set when it cannot
    // be written.
    bool start(const std::string& file, const std::vector<std::string>& commandLine);
    // Ends the trace and commits the file. False with error() set when it could not be
    // written; true when no trace was started.
    bool finish();
    bool active() const { return log_ != nullptr; }
    // "The trace cannot be written: t.txt: No space left on device".
    const std::string& error() const { return error_; }

  private:
    vx::platform::AtomicFile file_;
    std::unique_ptr<vx::link::TraceLog> log_;
    std::string error_;
};

}  // namespace vx::shell
