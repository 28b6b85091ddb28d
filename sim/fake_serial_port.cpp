#include "fake_serial_port.h"

#include <algorithm>

namespace vx::sim {

FakeSerialPort::FakeSerialPort(std::unique_ptr<Device> device, std::string name)
    : device_(std::move(device)), name_(std::move(name)) {}

vx::link::PortState FakeSerialPort::state() {
    // Baud rate (4 bytes, little endian) and the DTR/RTS flag stand in for the settings.
    vx::link::PortState s;
    for (int i = 0; i < 4; ++i)
        s.native.push_back(uint8_t(baud_ >> (8 * i)));
    s.native.push_back(dtrRts_ ? 1 : 0);
    return s;
}

void FakeSerialPort::setState(const vx::link::PortState& s) {
    if (s.native.size() != 5) return;
    baud_ = 0;
    for (int i = 0; i < 4; ++i)
        baud_ |= uint32_t(s.native[size_t(i)]) << (8 * i);
    dtrRts_ = s.native[4] != 0;
}

bool FakeSerialPort::configure(uint32_t baud, bool dtrRtsOn, vx::link::PortFailure*) {
    baud_ = baud;
    dtrRts_ = dtrRtsOn;
    return true;
}

void FakeSerialPort::discardInput() {
    rx_.clear();
}

size_t FakeSerialPort::write(const uint8_t* data, size_t len) {
    written_.insert(written_.end(), data, data + len);
    Output out;
    device_->receive(data, len, nowNs_, out);
    collect(out);
    return len;
}

void FakeSerialPort::collect(Output& out) {
    for (Reply& r : out.replies) {
        bytesOut_ += r.bytes.size();
        if (r.delayNs <= 0 && later_.empty()) {
            rx_.insert(rx_.end(), r.bytes.begin(), r.bytes.end());
            continue;
        }
        // A delayed reply holds back everything behind it, as on a real line.
        int64_t due = nowNs_ + r.delayNs;
        if (!later_.empty()) due = std::max(due, later_.back().dueNs);
        later_.push_back({due, std::move(r.bytes)});
    }
}

int64_t FakeSerialPort::nextDueNs() const {
    int64_t t = later_.empty() ? kNever : later_.front().dueNs;
    return std::min(t, device_->nextEventNs());
}

void FakeSerialPort::deliverDue() {
    for (;;) {
        if (device_->nextEventNs() <= nowNs_) {
            Output out;
            device_->tick(nowNs_, out);
            collect(out);
            continue;
        }
        if (!later_.empty() && later_.front().dueNs <= nowNs_) {
            rx_.insert(rx_.end(), later_.front().bytes.begin(), later_.front().bytes.end());
            later_.erase(later_.begin());
            continue;
        }
        break;
    }
}

bool FakeSerialPort::readByte(uint8_t& b) {
    if (rx_.empty()) return false;
    b = rx_.front();
    rx_.pop_front();
    return true;
}

void FakeSerialPort::advanceMs(int64_t ms) {
    int64_t end = nowNs_ + ms * 1000000;
    for (;;) {
        int64_t due = nextDueNs();
        if (due > end) break;
        nowNs_ = std::max(nowNs_, due);
        deliverDue();
    }
    nowNs_ = end;
}

bool FakeSerialPort::waitReadable(int timeoutMs) {
    if (!rx_.empty()) return true;
    int64_t end = nowNs_ + int64_t(std::max(timeoutMs, 0)) * 1000000;
    while (rx_.empty()) {
        int64_t due = nextDueNs();
        if (due > end) break;
        nowNs_ = std::max(nowNs_, due);
        deliverDue();
    }
    if (!rx_.empty()) return true;
    nowNs_ = end;
    return false;
}

}  // namespace vx::sim
