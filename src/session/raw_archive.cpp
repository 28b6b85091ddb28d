#include "session/raw_archive.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/atomic_file.h"
#include "platform/sha256.h"
#include "session/memory_model.h"
#include "ui/backend.h"

namespace vx::session {
namespace {

namespace fs = std::filesystem;

const char* const kTable = "table.bin";
const char* const kPages = "pages.bin";
const char* const kTmpBuffer = "tmpbuf.bin";
const char* const kRegisters = "registers.txt";
const char* const kClocks = "clocks.txt";
const char* const kHeading = "Vendrix raw archive";

struct Piece {
    const char* name;
    std::string bytes;
};

std::string bytesOf(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

std::string registersText(const RawArchive& a) {
    return vx::ui::format(
        "status: %02X\r\nerrors: %02X\r\ntable-page: %04X\r\nfirst-page: %04X\r\nlast-page: %04X\r\n"
        "total-pages: %u\r\npages-read: %u\r\nfirst-marker: %u\r\nlast-marker: %u\r\nsample-time: %u\r\n",
        unsigned(a.status), unsigned(a.errors), unsigned(a.tablePage), unsigned(a.firstPage),
        unsigned(a.lastPage), unsigned(a.totalPages), unsigned(a.pagesRead), unsigned(a.firstMarker),
        unsigned(a.lastMarker), unsigned(a.sampleTime));
}

std::string clocksText(const RawArchive& a) {
    return "pc-clock: " + a.pcClock + "\r\nlogger-clock: " + a.loggerClock +
           "\r\nsession-start: " + a.sessionStart + "\r\n";
}

// "key: value" lines into a map.
std::map<std::string, std::string> fields(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t colon = line.find(": ");
        if (colon != std::string::npos)
            out[line.substr(0, colon)] = line.substr(colon + 2);
        else if (!line.empty() && line.back() == ':')
            out[line.substr(0, line.size() - 1)] = "";
    }
    return out;
}

bool number(const std::map<std::string, std::string>& f, const char* key, int base, unsigned long max,
            unsigned long& out) {
    auto it = f.find(key);
    if (it == f.end() || it->second.empty()) return false;
    char* end = nullptr;
    out = std::strtoul(it->second.c_str(), &end, base);
    return *end == 0 && out <= max;
}

// The session start names the data record file a conversion writes in the current folder:
// as the download keeps it, the table's six date and time bytes in hexadecimal around a
// "_" (or nothing when no table was read), never a folder separator, a colon or a NUL.
bool sessionStartShape(const std::string& s) {
    if (s.empty()) return true;
    if (s.size() != 13 || s[6] != '_') return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != 6 && !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

bool readWhole(const fs::path& p, std::string& out) {
    std::ifstream f(p, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

std::string writePieces(const std::string& dir, const RawArchive& a) {
    std::error_code ec;
    // The old manifest goes first: until the new one is written the folder is incomplete.
    fs::remove(fs::path(dir) / ARCHIVE_MANIFEST, ec);
    if (ec) return (fs::path(dir) / ARCHIVE_MANIFEST).string() + ": " + ec.message();

    const Piece pieces[] = {
        {kTable, bytesOf(a.table)},     {kPages, bytesOf(a.pages)}, {kTmpBuffer, bytesOf(a.tmpBuffer)},
        {kRegisters, registersText(a)}, {kClocks, clocksText(a)},
    };
    std::string manifest = std::string(kHeading) + "\r\n";
    for (const Piece& p : pieces) {
        const std::string path = (fs::path(dir) / p.name).string();
        std::string error;
        if (!vx::platform::writeFileAtomically(path, p.bytes.data(), p.bytes.size(), &error))
            return path + ": " + error;
        manifest += vx::ui::format("%s %zu %s\r\n", p.name, p.bytes.size(),
                                   vx::platform::sha256Hex(p.bytes.data(), p.bytes.size()).c_str());
    }
    const std::string path = (fs::path(dir) / ARCHIVE_MANIFEST).string();
    std::string error;
    if (!vx::platform::writeFileAtomically(path, manifest.data(), manifest.size(), &error))
        return path + ": " + error;
    return {};
}

}  // namespace

uint16_t RawArchive::pageNumber(size_t i) const {
    return readU16(pages.data() + i * kPageEntry);
}

void RawArchive::addPage(uint16_t number, const uint8_t* bytes) {
    pages.push_back(uint8_t(number & 0xFF));
    pages.push_back(uint8_t(number >> 8));
    pages.insert(pages.end(), bytes, bytes + PAGE_SIZE);
}

const uint8_t* RawArchive::latest(uint16_t page) const {
    for (size_t i = pageCount(); i-- > 0;)
        if (pageNumber(i) == page) return pageBytes(i);
    return nullptr;
}

void RawArchive::captureSession() {
    status = StatusReg;
    errors = ErrorsReg;
    tablePage = PagTab;
    firstPage = PagFirst;
    lastPage = PagLast;
    totalPages = TotalPagNum;
    pagesRead = TotalPagNumDload;
    firstMarker = FirstTimeMarker;
    lastMarker = LastTimeMarker;
    sampleTime = Tsample;
    pcClock = DataTimePC;
    loggerClock = DataTimeDL;
    sessionStart = DataTimeSS;
    table.assign(TabAss, TabAss + PAGE_SIZE);
}

void RawArchive::applySession() const {
    StatusReg = status;
    ErrorsReg = errors;
    PagTab = tablePage;
    PagFirst = firstPage;
    PagLast = lastPage;
    std::snprintf(PageTab, sizeof PageTab, "%04X", unsigned(PagTab));
    std::snprintf(PageFirst, sizeof PageFirst, "%04X", unsigned(PagFirst));
    std::snprintf(PageLast, sizeof PageLast, "%04X", unsigned(PagLast));
    TotalPagNum = totalPages;
    TotalPagNumDload = pagesRead;
    FirstTimeMarker = firstMarker;
    LastTimeMarker = lastMarker;
    std::snprintf(DataTimePC, sizeof DataTimePC, "%s", pcClock.c_str());
    std::snprintf(DataTimeDL, sizeof DataTimeDL, "%s", loggerClock.c_str());
    std::snprintf(DataTimeSS, sizeof DataTimeSS, "%s", sessionStart.c_str());
    std::memcpy(TabAss, table.data(), PAGE_SIZE);
}

std::string writeArchive(const std::string& dir, const RawArchive& a) {
    std::error_code ec;
    const bool created = !fs::exists(dir, ec);
    fs::create_directories(dir, ec);
    if (ec) return dir + ": " + ec.message();
    std::string error = writePieces(dir, a);
    // A folder made for this archive does not stay behind half written.
    if (!error.empty() && created) fs::remove_all(dir, ec);
    return error;
}

std::string loadArchive(const std::string& dir, RawArchive& a) {
    const fs::path root(dir);
    std::string manifest;
    if (!readWhole(root / ARCHIVE_MANIFEST, manifest))
        return dir + ": no complete raw archive here (" + ARCHIVE_MANIFEST +
               " is missing: the download that wrote it did not finish)";
    std::map<std::string, std::pair<unsigned long long, std::string>> listed;
    {
        std::istringstream in(manifest);
        std::string heading;
        std::getline(in, heading);
        if (heading.rfind(kHeading, 0) != 0) return dir + ": " + ARCHIVE_MANIFEST + " is not a raw archive's";
        std::string name, sum;
        unsigned long long size = 0;
        while (in >> name >> size >> sum)
            listed[name] = {size, sum};
    }
    std::map<std::string, std::string> content;
    for (const char* name : {kTable, kPages, kTmpBuffer, kRegisters, kClocks}) {
        auto it = listed.find(name);
        if (it == listed.end())
            return dir + ": the raw archive is incomplete (" + name + " is not in its manifest)";
        std::string bytes;
        if (!readWhole(root / name, bytes))
            return dir + ": the raw archive is incomplete (" + name + " is missing)";
        if (bytes.size() != it->second.first ||
            vx::platform::sha256Hex(bytes.data(), bytes.size()) != it->second.second)
            return dir + ": the raw archive is damaged or incomplete (" + name +
                   " does not match its size and SHA-256 in " + ARCHIVE_MANIFEST + ")";
        content[name] = std::move(bytes);
    }

    const std::string& table = content[kTable];
    const std::string& pages = content[kPages];
    const std::string& tmp = content[kTmpBuffer];
    if (table.size() != size_t(PAGE_SIZE) || pages.size() % RawArchive::kPageEntry != 0 ||
        tmp.size() > size_t(PAGE_SIZE))
        return dir + ": the raw archive is not valid (a file has the wrong size)";
    a = RawArchive{};
    a.table.assign(table.begin(), table.end());
    a.pages.assign(pages.begin(), pages.end());
    a.tmpBuffer.assign(tmp.begin(), tmp.end());

    const auto regs = fields(content[kRegisters]);
    unsigned long v[10];
    const struct {
        const char* key;
        int base;
        unsigned long max;
    } keys[] = {{"status", 16, 0xFF},
                {"errors", 16, 0xFF},
                {"table-page", 16, PAGE_MASK},
                {"first-page", 16, PAGE_MASK},
                {"last-page", 16, PAGE_MASK},
                {"total-pages", 10, 4095},
                {"pages-read", 10, 4095},
                {"first-marker", 10, 0xFFFFFFFFul},
                {"last-marker", 10, 0xFFFFFFFFul},
                {"sample-time", 10, 65535}};
    for (size_t i = 0; i < std::size(keys); ++i)
        if (!number(regs, keys[i].key, keys[i].base, keys[i].max, v[i]))
            return dir + ": the raw archive is not valid (" + keys[i].key + " in " + kRegisters + ")";
    a.status = uint8_t(v[0]);
    a.errors = uint8_t(v[1]);
    a.tablePage = uint16_t(v[2]);
    a.firstPage = uint16_t(v[3]);
    a.lastPage = uint16_t(v[4]);
    a.totalPages = uint16_t(v[5]);
    a.pagesRead = uint16_t(v[6]);
    a.firstMarker = uint32_t(v[7]);
    a.lastMarker = uint32_t(v[8]);
    a.sampleTime = uint16_t(v[9]);

    auto clocks = fields(content[kClocks]);
    a.pcClock = clocks["pc-clock"];
    a.loggerClock = clocks["logger-clock"];
    a.sessionStart = clocks["session-start"];
    if (a.pcClock.size() > 13 || a.loggerClock.size() > 13 || !sessionStartShape(a.sessionStart))
        return dir + ": the raw archive is not valid (" + kClocks + ")";
    return {};
}

}  // namespace vx::session
