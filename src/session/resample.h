#pragma once
// The data record file: the scratch records averaged per sample-time interval.

#include <cstdint>
#include <cstdio>

// Reads the scratch file of raw records sequentially, with the one-record step back that
// the interval boundaries need. Buffered: decoding must keep up with 100 MB/s.
class ScratchReader {
  public:
    explicit ScratchReader(FILE* f) : f_(f) {}
    // Next record's address and time marker; false at the end of the file.
    bool readHead(uint8_t& address, uint32_t& marker) {
        headPos_ = pos_;
        if (end_ - pos_ < kHeadSize && !fill(kHeadSize)) return false;
        headPos_ = pos_;
        address = buf_[pos_];
        marker = uint32_t(buf_[pos_ + 1]) | uint32_t(buf_[pos_ + 2]) << 8 | uint32_t(buf_[pos_ + 3]) << 16 |
                 uint32_t(buf_[pos_ + 4]) << 24;
        pos_ += kHeadSize;
        return true;
    }
    // The record just read by readHead is read again next time.
    void stepBack() { pos_ = headPos_; }
    // The sample bytes of the record whose head was just read (n bytes); false if cut off.
    bool readBytes(uint8_t* out, size_t n);
    // Same, without a copy: the n bytes inside the buffer (valid until the next read), or
    // null if cut off.
    const uint8_t* readSpan(size_t n) {
        if (end_ - pos_ < n && !fill(n)) return nullptr;
        const uint8_t* p = buf_ + pos_;
        pos_ += n;
        return p;
    }

  private:
    static constexpr size_t kHeadSize = 5;  // address and time marker
    bool fill(size_t need);
    FILE* f_;
    uint8_t buf_[1 << 16];
    size_t pos_ = 0, end_ = 0;
    size_t headPos_ = 0;
};

// Line 1 and the column heads.
void printHeader(FILE* f);
// One output interval ending at i_ref + tcf / 2: 1 when a row is to be written.
int32_t interpData(uint32_t tcf, uint32_t i_ref, ScratchReader& infile);
// One row of averages (counts InfoSES.nItem).
void printData(FILE* f);
