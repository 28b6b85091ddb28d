#include "monitor/monitor_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vx::monitor {
namespace {

constexpr size_t kSlack = 256 * 1024;  // trimmed in steps, not at every line

vx::ui::WindowHandle gBox;

// Where the kept text begins: the first line start from which at most limit characters
// follow (the last `limit` characters when a single line is longer).
size_t keptStart(const std::string& s, size_t limit) {
    if (s.size() <= limit) return 0;
    size_t from = s.size() - limit;
    if (from > 0 && s[from - 1] == '\n') return from;
    size_t nl = s.find('\n', from);
    return nl == std::string::npos ? from : nl + 1;
}

}  // namespace

void MonitorText::append(std::string_view text) {
    buf_.append(text);
    appended_ += text.size();
    if (buf_.size() > limit_ + kSlack) compact();
}

void MonitorText::compact() {
    buf_.erase(0, keptStart(buf_, limit_));
}

void MonitorText::clear() {
    buf_.clear();
    buf_.shrink_to_fit();
    appended_ = 0;
}

std::string_view MonitorText::view() const {
    return std::string_view(buf_).substr(keptStart(buf_, limit_));
}

void TextLine::add(const char* fmt, ...) {
    char piece[300];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(piece, sizeof piece, fmt, ap);
    va_end(ap);
    if (n < 0) return;
    addText(std::string_view(piece, size_t(n) < sizeof piece ? size_t(n) : sizeof piece - 1));
}

void TextLine::addText(std::string_view s) {
    size_t n = s.size() < kCapacity - len_ ? s.size() : kCapacity - len_;
    std::memcpy(buf_ + len_, s.data(), n);
    len_ += n;
}

void setMonitorBox(vx::ui::WindowHandle box) {
    gBox = box;
}

vx::ui::WindowHandle monitorBox() {
    return gBox;
}

MonitorText& monitorText() {
    static MonitorText text;
    return text;
}

void showText(std::string_view text) {
    if (text.empty()) return;
    monitorText().append(text);
    vx::ui::backend().appendText(gBox, std::string(text));
}

}  // namespace vx::monitor
