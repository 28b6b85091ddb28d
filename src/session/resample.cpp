#include "session/resample.h"

#include <cmath>
#include <cstring>

#include "platform/atomic_file.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"
#include "ui/wait_window.h"

using namespace vx::session;

void printHeader(FILE* f) {
    std::fprintf(f, "Time[s]: %u\r\n", unsigned(Tsample));
    for (int k = 1; k <= TotalNodeNum && k <= MAX_NODES; ++k) {
        const datitab& node = InfoFE[k];
        for (int j = 0; j < node.chanu_logic; ++j)
            std::fprintf(f, "\"CH%u_%u: %s\" ", unsigned(node.nodead), unsigned(j + 1),
                         Lista_Grandezze[quantityCode(node, j)]);
    }
    std::fputs("\r\n", f);
}

int32_t interpData(uint32_t tcf, uint32_t i_ref, vx::session::ScratchReader& infile) {
    int count = TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
    uint8_t byAddress[256] = {};  // node index by address, first match as findNode
    for (int k = count; k >= 1; --k) {
        datitab& node = InfoFE[k];
        node.n = 0;
        for (int j = 0; j < node.chanu_logic; ++j)
            node.sdati[j] = 0;  // a few: no memset call
        byAddress[node.nodead] = uint8_t(k);
    }

    // In 64 bits: an interval near the top of the marker range must not wrap.
    const uint64_t limit = uint64_t(i_ref) + tcf / 2;
    bool summed = false;
    uint8_t address;
    uint32_t marker;
    while (infile.readHead(address, marker)) {
        if (marker >= limit) {
            infile.stepBack();  // read again for the next interval
            return 1;
        }
        int k = byAddress[address];
        const uint8_t* samples = k ? infile.readSpan(2 * size_t(InfoFE[k].chanu)) : nullptr;
        if (!samples) {
            // An unknown node or a record cut off at the end: nothing after it can be read,
            // so this and every later call stop here as at the end of the file.
            infile.stepBack();
            break;
        }
        datitab& node = InfoFE[k];
        ++node.n;
        for (int j = 0; j < node.chanu_logic; ++j)
            node.sdati[j] += logicalValue(node, j, samples);
        summed = true;
    }
    return summed ? 1 : 0;
}

namespace {

// The average of an interval, single precision, rounded to the nearest integer with
// halves to even (the default rounding mode), within the int32 range.
int32_t average(int64_t sum, uint32_t n) {
    float q = float(sum) / float(n);
    // Below 2^23 adding and taking away 2^23 rounds halves to even, as nearbyintf does in
    // the default rounding mode, without a call; above it every float is an integer.
    constexpr float kRound = 8388608.0f;
    float avg = std::fabs(q) < kRound ? std::copysign((std::fabs(q) + kRound) - kRound, q) : q;
    if (avg >= 2147483648.0f) return INT32_MAX;
    if (avg < -2147483648.0f) return INT32_MIN;
    return int32_t(avg);
}

}  // namespace

void printData(FILE* f) {
    // The row is gathered and written in few pieces: short sample times give a row for
    // almost every record.
    char row[4096];
    size_t len = 0;
    for (int k = 1; k <= TotalNodeNum && k <= MAX_NODES; ++k) {
        const datitab& node = InfoFE[k];
        for (int j = 0; j < node.chanu_logic; ++j) {
            if (len + ADJ_TEXT_MAX + 1 + 2 > sizeof row) {  // a value, its blank, and the line end
                std::fwrite(row, 1, len, f);
                len = 0;
            }
            uint8_t code = quantityCode(node, j);
            int32_t x = node.n > 0 ? average(node.sdati[j], node.n) : Default_value[code];
            len += adjValueText(row + len, int8_t(code), x);
            row[len++] = ' ';
        }
    }
    row[len++] = '\r';  // the check above left room for the line end
    row[len++] = '\n';
    std::fwrite(row, 1, len, f);
    ++InfoSES.nItem;
}

Transfer vx::session::resampleRows(ScratchReader& reader, vx::platform::AtomicFile& out,
                                   uint32_t firstMarker) {
    const uint32_t tcf = 10u * Tsample;
    const uint64_t first = firstMarker, span = LastTimeMarker > first ? LastTimeMarker - first : 1;
    uint32_t sincePoll = 0;
    for (uint64_t t = first; t < LastTimeMarker; t += tcf) {
        if (interpData(tcf, uint32_t(t), reader) == 0) break;  // no later interval gives a row
        printData(out.stream());
        if (++sincePoll == 4096) {
            sincePoll = 0;
            Setbar_wait_msg(uint32_t((t - first) * 1000 / span), 1000);
            if (!Test_wait_msg()) return Transfer::Stopped;
            if (!out.ok()) return Transfer::Failed;
        }
    }
    return out.ok() ? Transfer::Done : Transfer::Failed;
}
