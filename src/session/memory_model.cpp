#include "session/memory_model.h"

#include <cstring>

namespace vx::session {

int tableLength(const uint8_t* page) {
    if (page[0] != 0xFF) return -1;
    int len = readU16(page + 2);
    return len <= PAGE_SIZE ? len : -1;
}

void sessionStartText(const uint8_t* table, char out[14]) {
    std::snprintf(out, 14, "%02x%02x%02x_%02x%02x%02x", table[13], table[12], table[11], table[10], table[9],
                  table[8]);
}

namespace {

// Logical channels of one node from its configuration words.
TableStatus buildLogicalChannels(datitab& node) {
    bool highPending = false;
    node.chanu_logic = 0;
    for (unsigned i = 0; i < node.chanu; ++i) {
        if ((readU16(node.conf + 2 * i) & GRA_MASK) == 0) {
            if (highPending) return TableStatus::TwoHighWords;
            highPending = true;  // the next channel is the low word of a 32-bit value
            continue;
        }
        if (node.chanu_logic >= MAX_LOGIC_CH) return TableStatus::TooManyChannels;
        node.ch_fisico[node.chanu_logic++] = uint8_t(i | (highPending ? 0x80 : 0));
        highPending = false;
    }
    return TableStatus::Ok;
}

TableStatus decodeNodes(int length) {
    int off = 16;
    while (off < length) {
        // Head (address, chanu, satmr), the configuration words and vbat must all lie
        // inside the table.
        if (off + 4 > length) return TableStatus::NotATable;
        unsigned chanu = TabAss[off + 1];
        int end = off + 4 + 2 * int(chanu) + 2;
        if (end > length) return TableStatus::NotATable;
        if (TotalNodeNum >= MAX_NODES) return TableStatus::TooManyNodes;

        datitab& node = InfoFE[TotalNodeNum + 1];
        std::memset(&node, 0, sizeof node);
        node.nodead = TabAss[off];
        node.chanu = uint8_t(chanu);
        node.satmr = readU16(TabAss + off + 2);
        node.conf = TabAss + off + 4;
        node.vbat = readU16(TabAss + end - 2);
        ++TotalNodeNum;

        TableStatus st = buildLogicalChannels(node);
        if (st != TableStatus::Ok) return st;
        TotalLogicCh += node.chanu_logic;
        off = end;
    }
    return TableStatus::Ok;
}

}  // namespace

TableStatus decodeTabAss() {
    TotalNodeNum = 0;
    TotalLogicCh = 0;
    int length = tableLength(TabAss);
    if (length < 0) return TableStatus::NotATable;
    Pnom = readU32(TabAss + 4);
    TableStatus st = decodeNodes(length);
    if (st != TableStatus::Ok) {
        TotalNodeNum = 0;
        TotalLogicCh = 0;
    }
    return st;
}

NodeLookup::NodeLookup() : index{} {
    int count = TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
    for (int k = count; k >= 1; --k)
        index[InfoFE[k].nodead] = uint8_t(k);
}

int findNode(uint8_t address) {
    int count = TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
    for (int k = 1; k <= count; ++k)
        if (InfoFE[k].nodead == address) return k;
    return 0;
}

void sessionLength(uint32_t firstMarker, uint32_t lastMarker, char out[14]) {
    uint32_t seconds = (lastMarker - firstMarker + 5) / 10;
    uint32_t days = seconds / 86400, rest = seconds % 86400;
    std::snprintf(out, 14, "%06u_%02u%02u%02u", days, rest / 3600, rest % 3600 / 60, rest % 60);
}

}  // namespace vx::session
