// The port as the trace sees it: every call passed on to the real port, and what crossed
// the line written into the trace in use (nothing once the trace has ended).

#include <cstdio>

#include "link/trace.h"

namespace vx::link {
namespace {

class TracedPort : public SerialPort {
  public:
    explicit TracedPort(std::unique_ptr<SerialPort> inner) : inner_(std::move(inner)) {}
    ~TracedPort() override {
        if (TraceLog* t = activeTrace()) t->note("close " + inner_->name());
    }

    const std::string& name() const override { return inner_->name(); }
    PortState state() override { return inner_->state(); }
    void setState(const PortState& s) override {
        inner_->setState(s);
        if (TraceLog* t = activeTrace()) t->note("line settings given back to " + inner_->name());
    }
    bool configure(uint32_t baud, bool dtrRtsOn, PortFailure* why) override {
        PortFailure failure;
        const bool ok = inner_->configure(baud, dtrRtsOn, &failure);
        if (TraceLog* t = activeTrace()) {
            char text[64];
            std::snprintf(text, sizeof text, " %u baud 8N1, DTR/RTS %s", unsigned(baud),
                          dtrRtsOn ? "on" : "off");
            t->note("configure " + inner_->name() + text + (ok ? "" : ": refused, " + failure.text));
        }
        if (why) *why = failure;
        return ok;
    }
    void discardInput() override {
        if (TraceLog* t = activeTrace()) t->flushReceived();
        inner_->discardInput();
    }
    size_t write(const uint8_t* data, size_t len) override {
        const size_t n = inner_->write(data, len);
        if (TraceLog* t = activeTrace()) {
            t->wrote(data, n);
            if (n < len)
                t->note("write cut short: " + std::to_string(n) + " of " + std::to_string(len) + " bytes");
        }
        return n;
    }
    bool readByte(uint8_t& b) override {
        if (!inner_->readByte(b)) return false;
        if (TraceLog* t = activeTrace()) t->received(b);
        return true;
    }
    bool waitReadable(int timeoutMs) override {
        const bool ready = inner_->waitReadable(timeoutMs);
        // A quiet line ends a burst: what came so far is one line of the trace.
        if (!ready)
            if (TraceLog* t = activeTrace()) {
                t->flushReceived();
                if (inner_->gone() && !goneSaid_) {
                    goneSaid_ = true;
                    t->note(inner_->name() + " is gone");
                }
            }
        return ready;
    }
    bool gone() const override { return inner_->gone(); }
    uint64_t nowMs() const override { return inner_->nowMs(); }
    void sleepMs(uint32_t ms) override { inner_->sleepMs(ms); }

  private:
    std::unique_ptr<SerialPort> inner_;
    bool goneSaid_ = false;
};

}  // namespace

std::unique_ptr<SerialPort> tracedPort(std::unique_ptr<SerialPort> inner) {
    if (!inner) return inner;
    return std::make_unique<TracedPort>(std::move(inner));
}

}  // namespace vx::link
