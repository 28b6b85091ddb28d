#pragma once
// The diagnostic archive a user sends to support: one ustar file with what the program
// and the platform are, the serial ports and this user's rights on them, and the trace of
// a short probe of the device (plus, when named, a trace the user made earlier). The
// program keeps no hidden log, so the probe's trace stands for "the last trace".

#include <cstdint>
#include <string>
#include <vector>

namespace vx::shell {

struct DiagnoseRequest {
    std::string out;      // the archive; "" : vendrix-diagnose-YYYYMMDD_hhmmss.tar here
    std::string traceOf;  // an earlier trace to include; ""
    std::string port;     // the port to probe; "" : the automatic scan
    std::vector<std::string> commandLine;
};

struct DiagnoseMember {
    std::string name;
    uint64_t size = 0;
    std::string what;  // "program version and build"
};

struct DiagnoseResult {
    bool ok = false;
    std::string archive;
    std::vector<DiagnoseMember> members;
    std::string probe;  // what the probe found, or the program's message when nothing answered
    std::string error;  // why no archive was written
};

// Probes the device, then writes the archive. The port is closed again afterwards; a
// device that does not answer is a finding, not a failure. Ctrl+C ends it with no archive.
DiagnoseResult diagnose(const DiagnoseRequest& request);

// The message lines of a trace ("message: ...", time stripped), one per line.
std::string traceMessages(const std::string& traceText);

}  // namespace vx::shell
