#pragma once
// Decoding the logger's memory: the assignment table into node records and logical
// channels, data records inside pages, time markers and clock strings.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "session/quantities.h"
#include "session/session_state.h"

namespace vx::session {

inline uint16_t pageAdd(uint16_t page, int32_t n) {
    return uint16_t((int32_t(page) + n) & PAGE_MASK);
}

// The length word of a table page (first bytes of a page), or -1 when the bytes are no
// table: byte 0 not 0xFF, or a length above 528.
int tableLength(const uint8_t* page);

// "YYMMDD_hhmmss" from the BCD start bytes 8..13 of a table.
void sessionStartText(const uint8_t* table, char out[14]);

enum class TableStatus { Ok, NotATable, TwoHighWords, TooManyNodes, TooManyChannels };

// Decodes TabAss (already read, byte 0 and length checked or not) into Pnom, InfoFE,
// TotalNodeNum and TotalLogicCh. Nothing is written beyond the arrays: a table that
// needs more than 30 nodes or 64 logical channels for a node is rejected, and so is a
// node record that runs past the table length. A rejected table leaves no node
// (TotalNodeNum and TotalLogicCh 0), so nothing downstream walks a half-built table.
TableStatus decodeTabAss();

// Index in InfoFE (1..TotalNodeNum) of the node with this address, 0 when none.
int findNode(uint8_t address);

inline size_t recordLength(const datitab& node) {
    return 5 + 2 * size_t(node.chanu);
}

inline uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t readU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// Value of logical channel j of a node from the samples of one record (the bytes after
// the time marker): a signed 16-bit sample, or high word × 65536 + unsigned low word.
// Inline: the resampling calls it for every value of every record.
inline int32_t logicalValue(const datitab& node, int j, const uint8_t* samples) {
    unsigned ch = node.ch_fisico[j];
    unsigned i = ch & 0x7F;
    if (ch & 0x80) {
        int32_t high = int16_t(readU16(samples + 2 * (i - 1)));
        return high * 65536 + int32_t(readU16(samples + 2 * i));
    }
    return int16_t(readU16(samples + 2 * i));
}

// Quantity code of logical channel j.
inline uint8_t quantityCode(const datitab& node, int j) {
    return uint8_t(readU16(node.conf + 2 * (node.ch_fisico[j] & 0x7F)) & GRA_MASK);
}

// Walks the complete records of known nodes from the start of buf: stops at the first
// byte that is no node address, or at a record that would end beyond len. Calls
// fn(record pointer, node index) for each; returns the bytes walked.
// Node index by address (first match, as findNode), for walks over many records.
struct NodeLookup {
    uint8_t index[256];
    NodeLookup();
    int operator()(uint8_t address) const { return index[address]; }
};

template <typename F>
size_t walkRecords(const uint8_t* buf, size_t len, F&& fn) {
    const NodeLookup lookup;
    size_t off = 0;
    while (off < len) {
        int k = lookup(buf[off]);
        if (k == 0) break;
        size_t rl = recordLength(InfoFE[k]);
        if (off + rl > len) break;
        fn(buf + off, k);
        off += rl;
    }
    return off;
}

// "%06u_%02u%02u%02u" of the session length between two time markers (tenths, rounded).
void sessionLength(uint32_t firstMarker, uint32_t lastMarker, char out[14]);

}  // namespace vx::session
