#pragma once
// The data record file: the scratch records averaged per sample-time interval.

#include <cstdint>
#include <cstdio>

#include "session/paged_transfer.h"

namespace vx::platform {
class AtomicFile;
}

namespace vx::session {

// Reads the scratch records (the raw records of a download, one after the other) in
// order, with the one-record step back that the interval boundaries need.
class ScratchReader {
  public:
    ScratchReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    // Next record's address and time marker; false at the end.
    bool readHead(uint8_t& address, uint32_t& marker) {
        if (size_ - pos_ < kHeadSize) return false;
        headPos_ = pos_;
        const uint8_t* p = data_ + pos_;
        address = p[0];
        marker = uint32_t(p[1]) | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16 | uint32_t(p[4]) << 24;
        pos_ += kHeadSize;
        return true;
    }
    // The record just read by readHead is read again next time.
    void stepBack() { pos_ = headPos_; }
    // The n sample bytes of the record whose head was just read, or null if cut off.
    const uint8_t* readSpan(size_t n) {
        if (size_ - pos_ < n) return nullptr;
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }

  private:
    static constexpr size_t kHeadSize = 5;  // address and time marker
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0, headPos_ = 0;
};

}  // namespace vx::session

// Line 1 and the column heads.
void printHeader(FILE* f);
// One output interval ending at i_ref + tcf / 2: 1 when a row is to be written.
int32_t interpData(uint32_t tcf, uint32_t i_ref, vx::session::ScratchReader& infile);
// One row of averages (counts InfoSES.nItem).
void printData(FILE* f);

namespace vx::session {
// The rows of the data record file: one per sample-time interval from firstMarker while
// below LastTimeMarker, each written with printData. Long gaps between time markers can
// mean very many rows, so the wait window stays live and the file is checked.
Transfer resampleRows(ScratchReader& reader, vx::platform::AtomicFile& out, uint32_t firstMarker);
}  // namespace vx::session
