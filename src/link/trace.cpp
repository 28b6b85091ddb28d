#include "link/trace.h"

#include <chrono>
#include <cmath>

namespace vx::link {

namespace detail {
TraceLog* gTrace;
}

void setTrace(TraceLog* log) {
    if (detail::gTrace) detail::gTrace->flushReceived();
    detail::gTrace = log;
}

namespace {

// Received bytes kept back for one line at most this long; a longer stream is shown in
// several lines.
constexpr size_t kMaxHeld = 64 * 1024;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool isText(uint8_t c) {
    return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t';
}

const char kHex[] = "0123456789abcdef";

// Between double quotes, every byte readable and recoverable: \r \n \t \" \\ and \xNN.
void appendQuoted(std::string& out, const uint8_t* p, size_t n) {
    out += '"';
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = p[i];
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out += char(c);
                } else {
                    out += "\\x";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                }
        }
    }
    out += '"';
}

// Seconds with six decimals, whatever the locale's decimal sign.
void appendTime(std::string& out, double seconds) {
    const uint64_t us = seconds <= 0 ? 0 : uint64_t(std::llround(seconds * 1e6));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llu.%06llu", (unsigned long long)(us / 1000000),
                  (unsigned long long)(us % 1000000));
    out += buf;
}

}  // namespace

void appendBytes(std::string& out, const uint8_t* data, size_t n) {
    bool text = true;
    for (size_t i = 0; i < n && text; ++i)
        text = isText(data[i]);
    if (text) return appendQuoted(out, data, n);
    out += std::to_string(n);
    out += " bytes:";
    for (size_t i = 0; i < n; ++i) {
        out += ' ';
        out += kHex[data[i] >> 4];
        out += kHex[data[i] & 15];
    }
    out += " |";
    for (size_t i = 0; i < n; ++i)
        out += data[i] >= 0x20 && data[i] < 0x7F ? char(data[i]) : '.';
    out += '|';
}

const char* outcomeText(TxError e) {
    switch (e) {
        case TxError::None:
            return "OK";
        case TxError::NoPort:
            return "no port";
        case TxError::TooLong:
            return "command too long";
        case TxError::WriteFailed:
            return "write failed";
        case TxError::Timeout:
            return "time-out";
        case TxError::Overflow:
            return "reply too long";
        case TxError::PortGone:
            return "port gone";
        case TxError::Busy:
            return "busy";
        case TxError::ErrReply:
            return "ERR";
        case TxError::NotOk:
            return "not OK";
        case TxError::BadReply:
            return "bad reply";
    }
    return "?";
}

TraceLog::TraceLog(std::FILE* out, Clock clock) : out_(out), clock_(clock ? clock : steadySeconds) {
    t0_ = clock_();
    line_.reserve(256);
}

double TraceLog::now() const {
    return clock_() - t0_;
}

void TraceLog::startLine(double t, bool numbered) {
    line_.clear();
    appendTime(line_, t);
    if (numbered && current_) {
        line_ += " #";
        line_ += std::to_string(current_);
    }
    line_ += ' ';
}

void TraceLog::writeLine() {
    line_ += '\n';
    if (out_) std::fwrite(line_.data(), 1, line_.size(), out_);
    if (copy_) *copy_ += line_;
}

void TraceLog::raw(std::string_view text) {
    flushReceived();
    line_.assign(text);
    writeLine();
}

void TraceLog::note(std::string_view text) {
    flushReceived();
    startLine(now(), false);
    line_ += text;
    writeLine();
}

void TraceLog::message(std::string_view text, std::string_view detail) {
    flushReceived();
    startLine(now(), false);
    line_ += "message: ";
    appendQuoted(line_, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!detail.empty()) {
        line_ += " [";
        line_ += detail;
        line_ += ']';
    }
    writeLine();
}

void TraceLog::wrote(const uint8_t* data, size_t n) {
    flushReceived();
    if (n == 0) return;
    startLine(now(), true);
    line_ += "> ";
    appendBytes(line_, data, n);
    writeLine();
}

void TraceLog::received(uint8_t b) {
    if (rx_.empty()) rxTime_ = now();
    rx_ += char(b);
    if (rx_.size() >= kMaxHeld) flushReceived();
}

void TraceLog::flushReceived() {
    if (rx_.empty()) return;
    startLine(rxTime_, true);
    line_ += "< ";
    appendBytes(line_, reinterpret_cast<const uint8_t*>(rx_.data()), rx_.size());
    rx_.clear();
    writeLine();
}

void TraceLog::begin(const std::string& command, int32_t timeoutMs) {
    flushReceived();
    outer_ = current_;
    current_ = ++count_;
    beganAt_ = now();
    startLine(beganAt_, true);
    line_ += command.empty() ? std::string_view("(poll)") : std::string_view(command);
    line_ += " (time-out ";
    line_ += std::to_string(timeoutMs);
    line_ += " ms)";
    writeLine();
}

void TraceLog::end(TxError e, int32_t received) {
    flushReceived();
    const double t = now();
    startLine(t, true);
    line_ += "= ";
    line_ += outcomeText(e);
    line_ += ", ";
    line_ += std::to_string(received);
    line_ += " bytes, ";
    appendTime(line_, t - beganAt_);
    line_ += " s";
    writeLine();
    last_ = current_;
    current_ = outer_;  // a refused transaction ends inside the one under way
    outer_ = 0;
}

void TraceLog::judged(TxError e) {
    flushReceived();
    const uint32_t keep = current_;
    current_ = last_;
    startLine(now(), true);
    line_ += "= ";
    line_ += outcomeText(e);
    line_ += " (the caller's verdict on the reply)";
    writeLine();
    current_ = keep;
}

}  // namespace vx::link
