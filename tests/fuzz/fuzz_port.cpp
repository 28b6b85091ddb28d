#include "fuzz_port.h"

namespace vx::fuzz {

ReplyPort::ReplyPort(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (;;) {
        size_t at = rest.find(kPause);
        if (at == std::string_view::npos) break;
        segments_.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kPause.size());
    }
    if (!rest.empty()) segments_.push_back(rest);
}

size_t ReplyPort::write(const uint8_t* data, size_t len) {
    if (gone()) return 0;
    written_.insert(written_.end(), data, data + len);
    return len;
}

bool ReplyPort::readByte(uint8_t& b) {
    if (queued_.empty()) return false;
    b = queued_.front();
    queued_.pop_front();
    return true;
}

bool ReplyPort::waitReadable(int timeoutMs) {
    if (!queued_.empty()) return true;
    if (next_ < segments_.size()) {
        std::string_view s = segments_[next_++];
        queued_.insert(queued_.end(), s.begin(), s.end());
        if (!s.empty()) return true;
    }
    nowMs_ += uint64_t(timeoutMs > 0 ? timeoutMs : 0);
    return false;
}

void RecordingPort::discardInput() {
    queued_.clear();
    inner_.discardInput();
}

bool RecordingPort::readByte(uint8_t& b) {
    if (queued_.empty()) return false;
    b = queued_.front();
    queued_.pop_front();
    return true;
}

bool RecordingPort::waitReadable(int timeoutMs) {
    if (!queued_.empty()) return true;
    bool any = inner_.waitReadable(timeoutMs);
    uint8_t b;
    while (any && inner_.readByte(b)) {
        queued_.push_back(b);
        recording_ += char(b);
    }
    recording_ += kPause;
    return !queued_.empty();
}

}  // namespace vx::fuzz
