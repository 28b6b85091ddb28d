#include "platform/tar_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vx::platform {
namespace {

constexpr size_t kBlock = 512;
constexpr uint64_t kMaxSize = 077777777777ULL;  // eleven octal digits

// A number in octal, `width` - 1 digits with leading zeros and a NUL, as ustar keeps it.
void octal(char* field, size_t width, uint64_t value) {
    field[width - 1] = 0;
    for (size_t i = width - 1; i-- > 0; value >>= 3)
        field[i] = char('0' + (value & 7));
}

}  // namespace

bool TarWriter::fail(const std::string& what) {
    if (error_.empty()) error_ = what;
    return false;
}

bool TarWriter::header(const std::string& name, uint64_t size) {
    if (name.empty() || name.size() > 100) return fail(name + ": a member name of 1 to 100 bytes");
    if (size > kMaxSize) return fail(name + ": a member larger than 8 GiB");
    char h[kBlock] = {};
    std::memcpy(h, name.data(), name.size());
    octal(h + 100, 8, 0644);   // mode
    octal(h + 108, 8, 0);      // uid
    octal(h + 116, 8, 0);      // gid
    octal(h + 124, 12, size);  // size
    octal(h + 136, 12, uint64_t(mtime_ < 0 ? 0 : mtime_));
    std::memset(h + 148, ' ', 8);  // the checksum counts its own field as blanks
    h[156] = '0';                  // a regular file
    std::memcpy(h + 257, "ustar", 6);
    std::memcpy(h + 263, "00", 2);
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    octal(h + 148, 7, sum);  // six digits and a NUL, the blank after them stays
    if (!out_.write(h, kBlock)) return fail(out_.error().empty() ? "write failed" : out_.error());
    return true;
}

bool TarWriter::pad(uint64_t size) {
    static const char zeros[kBlock] = {};
    const size_t rest = size_t(size % kBlock);
    if (rest && !out_.write(zeros, kBlock - rest))
        return fail(out_.error().empty() ? "write failed" : out_.error());
    return true;
}

bool TarWriter::add(const std::string& name, std::string_view data) {
    if (!header(name, data.size())) return false;
    if (!data.empty() && !out_.write(data.data(), data.size()))
        return fail(out_.error().empty() ? "write failed" : out_.error());
    return pad(data.size());
}

bool TarWriter::addFile(const std::string& name, const std::string& path) {
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) return fail(path + ": " + ec.message());
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return fail(path + ": " + std::strerror(errno));
    bool ok = header(name, size);
    // The bytes the header promised: a file that shrank meanwhile is made up with zeros.
    char buf[65536];
    for (uint64_t left = size; ok && left > 0;) {
        size_t want = left < sizeof buf ? size_t(left) : sizeof buf;
        size_t got = std::fread(buf, 1, want, in);
        if (got < want) std::memset(buf + got, 0, want - got);
        if (!out_.write(buf, want)) ok = fail(out_.error().empty() ? "write failed" : out_.error());
        left -= want;
    }
    const bool readError = std::ferror(in) != 0;
    std::fclose(in);
    if (ok && readError) return fail(path + ": read error");
    return ok && pad(size);
}

bool TarWriter::finish() {
    static const char zeros[2 * kBlock] = {};
    if (!out_.write(zeros, sizeof zeros)) return fail(out_.error().empty() ? "write failed" : out_.error());
    return true;
}

}  // namespace vx::platform
