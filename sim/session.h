#pragma once
// A logger's flash memory holding one measurement session, made by a deterministic
// generator from a seed and a few parameters. Tests use the same structures to build the
// output they expect, independently of how the device serves them.

#include "calendar.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::sim {

constexpr int kPageSize = 528;
constexpr int kPageCount = 4096;
constexpr int kPieceSize = 48;
constexpr int kPiecesPerPage = kPageSize / kPieceSize;  // 11
constexpr int kTableHeader = 16;
constexpr int kMaxNodes = 30;
constexpr int kMaxChannels = 64;

inline uint16_t nextPage(uint32_t p) {
    return uint16_t((p + 1) & 0xFFF);
}

struct SessionParams {
    uint64_t seed = 1;
    int nodes = 4;              // 1..30
    int maxChannels = 6;        // each node gets 1..maxChannels physical channels (<= 64)
    double pairChance = 0.2;    // chance per channel of starting a 32-bit pair (code 0 + next)
    bool highAddresses = true;  // at least one node address above 127
    bool brokenTable = false;   // put two code-0 channels in a row (a setup error)
    int satmr = 0;              // 0: each node draws its own timer; else every node uses it
    int pages = 20;             // data pages, 0..4095 (ignored when wrapped: 4095)
    bool wrapped = false;       // the session went round the whole memory
    int tablePage = -1;         // -1: drawn from the seed
    int tmpBytes = 200;         // temporary-buffer tail, filled with whole records up to this
    bool tmpCutRecord = false;  // end the buffer in the middle of a record
    bool tmpBadNode = false;    // put a record of an unknown node into the buffer
    int oldTables = 0;          // table pages of older sessions outside this one
    DateTime start{24, 5, 17, 8, 30, 0};
    uint8_t statusExtra = 0x10;  // READY; bit 3 is added when wrapped
    uint8_t errors = 0x00;
};

struct Node {
    uint8_t addr = 0;
    uint16_t satmr = 0;          // seconds
    std::vector<uint16_t> conf;  // one configuration word per physical channel
    uint16_t vbat = 0;           // 1/100 V
    int chanu() const { return int(conf.size()); }
    int recordLength() const { return 5 + 2 * chanu(); }
};

// Where a data record lies and what it says (samples are read back from the bytes).
struct RecordRef {
    uint8_t addr = 0;
    uint32_t timeMarker = 0;  // tenths of a second since the session start
    int page = -1;            // flash page, or -1 for the temporary buffer
    int offset = 0;           // byte offset in the page or the buffer
};

struct Session {
    SessionParams params;
    std::vector<Node> nodes;
    uint32_t pnom = 0;
    uint8_t tableByte1 = 0;
    std::vector<uint8_t> table;  // the table bytes (its length word long)
    uint16_t pageTab = 0;
    uint16_t pageLast = 0;
    uint16_t pageFirst = 0;  // as the program derives it from the registers
    uint8_t status = 0;
    uint8_t errors = 0;
    std::vector<uint16_t> dataPages;  // the session's data pages, oldest first
    std::vector<RecordRef> records;   // every record, in time order (flash, then buffer)
    std::vector<uint8_t> tmpBuffer;   // temporary buffer contents (count = size())
    std::vector<uint16_t> oldTablePages;
    std::vector<uint8_t> flash;  // kPageCount * kPageSize bytes

    const uint8_t* page(int p) const { return flash.data() + size_t(p & 0xFFF) * kPageSize; }
    const Node* findNode(uint8_t addr) const;
    int totalPages() const { return int(dataPages.size()); }
};

// Builds a session; on parameters that cannot be honoured returns false with a reason.
// Node and channel counts that would not fit the 528-byte table are reduced (channels
// first), never rejected.
bool generateSession(const SessionParams& p, Session& out, std::string& err);

// The raw sample word of physical channel ch of a node at time marker tm (tenths of a
// second): plausible for its quantity, a growing counter for a 32-bit pair, now and then
// the sensor error -1. A function of its arguments only.
uint16_t sampleWord(uint64_t seed, const Node& n, int ch, uint32_t tm);

// A table page image: 0xFF marker, byte 1, length word, Pnom, BCD start, node records;
// the rest of the page is 0xFF.
std::vector<uint8_t> buildTable(const std::vector<Node>& nodes, uint32_t pnom, uint8_t byte1,
                                const DateTime& start);

}  // namespace vx::sim
