#pragma once
// Helpers shared by the simulator tests: the host's side of a transaction, and a page
// walker and table parser written from the memory layout, independent of the generator.

#include "link/serial_port.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace simtest {

// Reads up to and without the CR; false on time-out (the bytes so far stay in line).
inline bool readLine(vx::link::SerialPort& p, std::string& line, int timeoutMs = 2000) {
    line.clear();
    for (;;) {
        uint8_t b;
        if (p.readByte(b)) {
            if (b == '\r') return true;
            line.push_back(char(b));
            continue;
        }
        if (!p.waitReadable(timeoutMs)) return false;
    }
}

inline std::vector<uint8_t> readBytes(vx::link::SerialPort& p, size_t n, int timeoutMs = 2000) {
    std::vector<uint8_t> out;
    while (out.size() < n) {
        uint8_t b;
        if (p.readByte(b)) {
            out.push_back(b);
            continue;
        }
        if (!p.waitReadable(timeoutMs)) break;
    }
    return out;
}

inline void send(vx::link::SerialPort& p, const std::string& cmd) {
    p.discardInput();
    p.write(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size());
}

// One line transaction; "<timeout>" when no CR came.
inline std::string ask(vx::link::SerialPort& p, const std::string& cmd, int timeoutMs = 2000) {
    send(p, cmd);
    std::string line;
    return readLine(p, line, timeoutMs) ? line : "<timeout>";
}

struct TableNode {
    uint8_t addr = 0;
    uint16_t satmr = 0;
    std::vector<uint16_t> conf;
    uint16_t vbat = 0;
};

inline unsigned le16(const uint8_t* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}
inline uint32_t le32(const uint8_t* p) {
    return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16;
}

// Parses node records from a table page; false when the page is not a table.
inline bool parseTable(const uint8_t* t, std::vector<TableNode>& nodes) {
    nodes.clear();
    unsigned len = le16(t + 2);
    if (t[0] != 0xFF || len > 528) return false;
    unsigned off = 16;
    while (off < len) {
        TableNode n;
        n.addr = t[off];
        unsigned chanu = t[off + 1];
        n.satmr = uint16_t(le16(t + off + 2));
        for (unsigned c = 0; c < chanu; ++c)
            n.conf.push_back(uint16_t(le16(t + off + 4 + 2 * c)));
        n.vbat = uint16_t(le16(t + off + 4 + 2 * chanu));
        off += 6 + 2 * chanu;
        nodes.push_back(n);
    }
    return off == len;
}

struct Walked {
    uint8_t addr;
    uint32_t tm;
    int offset;
};

// Walks records from offset 0: stops at the first byte that is no node address or when
// a record would run past `size`. `end` receives the offset where the walk stopped.
inline std::vector<Walked> walk(const uint8_t* p, int size, const std::map<uint8_t, int>& chanuOf, int& end) {
    std::vector<Walked> out;
    int off = 0;
    for (;;) {
        if (off >= size) break;
        auto it = chanuOf.find(p[off]);
        if (it == chanuOf.end()) break;
        int len = 5 + 2 * it->second;
        if (off + len > size) break;
        out.push_back({p[off], le32(p + off + 1), off});
        off += len;
    }
    end = off;
    return out;
}

}  // namespace simtest
