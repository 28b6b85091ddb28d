#pragma once
// The monitor's text: every piece goes to the monitor box through the user-interaction
// layer, and into a bounded copy that holds what the box holds.
//
// The box keeps at most kMonitorTextLimit characters ("\r\n" counting two). When a new
// line would pass the limit, the oldest whole lines go, so the box always shows the
// latest packets and its text begins at a line start.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/compiler.h"
#include "ui/backend.h"

namespace vx::monitor {

constexpr size_t kMonitorTextLimit = 1048575;

// The latest text up to a limit, trimmed at line starts. Memory stays below about
// limit + 256 KiB.
class MonitorText {
  public:
    explicit MonitorText(size_t limit = kMonitorTextLimit) : limit_(limit) {}
    void append(std::string_view text);
    void clear();
    // The text held: the newest lines, at most `limit` characters, from a line start.
    std::string_view view() const;
    // Characters appended since the last clear (for counts; not bounded).
    unsigned long long appended() const { return appended_; }

  private:
    void compact();
    size_t limit_;
    std::string buf_;
    unsigned long long appended_ = 0;
};

// One output line built from formatted pieces (each at most 299 characters, as the
// box's printf formats them), then sent at once.
class TextLine {
  public:
    void add(const char* fmt, ...) VX_PRINTF_FORMAT(2, 3);
    void addText(std::string_view s);
    std::string_view text() const { return {buf_, len_}; }
    void clear() { len_ = 0; }

  private:
    static constexpr size_t kCapacity = 4096;  // a 64-channel line needs under 1500
    char buf_[kCapacity];
    size_t len_ = 0;
};

// The monitor box in use (null: the terminal's standard output) and the copy of its text.
void setMonitorBox(vx::ui::WindowHandle box);
vx::ui::WindowHandle monitorBox();
MonitorText& monitorText();

// Appends text to the monitor box and its copy.
void showText(std::string_view text);

}  // namespace vx::monitor
