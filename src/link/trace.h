#pragma once
// The protocol trace: every byte each way on the serial line with its time, the
// transaction it belonged to and its outcome, port events and the messages the user was
// shown, one human-readable line each. Off unless a front end starts one; while off, each
// hook costs one test of a null pointer, and ports are not even wrapped.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "link/serial_port.h"
#include "link/transaction.h"

namespace vx::link {

class TraceLog {
  public:
    using Clock = double (*)();  // seconds on any steady scale

    // Lines go to `out` (may be null) and, while a copy is set, to the copy as well.
    // Times are seconds since the log was made, from `clock` (the steady clock if null).
    explicit TraceLog(std::FILE* out, Clock clock = nullptr);
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    void setCopy(std::string* copy) {
        flushReceived();
        copy_ = copy;
    }

    // A line as given, without a time ("# ..." header lines).
    void raw(std::string_view text);
    // "<time> <text>": port events and other notes.
    void note(std::string_view text);
    // "<time> message: "text" [caption]": what the user was shown.
    void message(std::string_view text, std::string_view detail);

    // The serial line (TracedPort).
    void wrote(const uint8_t* data, size_t n);
    void received(uint8_t b);
    void flushReceived();

    // Transaction marks (sendCOMMAND, sendCOMMAND2, markReply).
    void begin(const std::string& command, int32_t timeoutMs);
    void end(TxError e, int32_t received);
    void judged(TxError e);

    uint32_t transactions() const { return count_; }

  private:
    double now() const;
    void startLine(double t, bool numbered);
    void writeLine();

    std::FILE* out_;
    std::string* copy_ = nullptr;
    Clock clock_;
    double t0_;
    std::string line_;  // reused: no allocation per line once it has grown
    std::string rx_;    // bytes taken and not yet shown
    double rxTime_ = 0;
    uint32_t count_ = 0;
    uint32_t current_ = 0;  // the transaction under way, 0 between two
    uint32_t outer_ = 0;
    uint32_t last_ = 0;
    double beganAt_ = 0;
};

namespace detail {
extern TraceLog* gTrace;
}

// The trace in use, null while tracing is off.
inline TraceLog* activeTrace() {
    return detail::gTrace;
}
// Installs `log` (null: tracing off). The caller keeps it alive meanwhile.
void setTrace(TraceLog* log);

// Appends bytes to `out` as the trace shows them: "text\r" between quotes when they are
// text, else "N bytes: hex |printable|".
void appendBytes(std::string& out, const uint8_t* data, size_t n);
// What ended a transaction, in a word or two ("OK", "time-out", "ERR", "bad reply").
const char* outcomeText(TxError e);

// The port wrapped so that every call the program makes on it is traced.
std::unique_ptr<SerialPort> tracedPort(std::unique_ptr<SerialPort> inner);

// A note (an event with no bytes), when a trace is on.
inline void traceNote(std::string_view text) {
    if (TraceLog* t = activeTrace()) t->note(text);
}
// A message the user is shown, when a trace is on.
inline void traceMessage(std::string_view text, std::string_view detail = {}) {
    if (TraceLog* t = activeTrace()) t->message(text, detail);
}

}  // namespace vx::link
