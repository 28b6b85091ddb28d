#pragma once
// SHA-256 of byte strings: the checksums of a raw archive's manifest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::platform {

class Sha256 {
  public:
    Sha256();
    void update(const void* data, size_t n);
    // The digest; the object is then spent (call reset() to start again).
    std::array<uint8_t, 32> finish();
    void reset();

  private:
    void block(const uint8_t* p);

    uint32_t h_[8];
    uint8_t buf_[64];
    size_t used_ = 0;
    uint64_t total_ = 0;
};

// The digest of a byte string as 64 lower-case hex digits.
std::string sha256Hex(const void* data, size_t n);

}  // namespace vx::platform
