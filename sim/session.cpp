#include "session.h"

#include "rng.h"

#include <algorithm>
#include <cstddef>

namespace vx::sim {

namespace {

// Raw value ranges per quantity code, so that decoded values look like real readings.
// "lo..hi" is the range of the raw integer before it is stored as a 16-bit word; the
// unsigned quantities go above 32767 and so appear as negative words.
struct CodeRange {
    int lo, hi;
};
const CodeRange kRanges[20] = {
    {0, 0},           // 0: high word of a 32-bit pair (handled apart)
    {-1500, 3500},    // 1 temperature, 0.01 degC
    {-5000, 5000},    // 2 thermal flux
    {-800, 3800},     // 3 air temperature
    {1500, 9800},     // 4 relative humidity
    {-900, 2200},     // 5 dew point
    {38500, 41500},   // 6 pressure: unsigned raw + 60000 -> 985..1015 hPa
    {0, 8000},        // 7 DC voltage, 0.1 V
    {2150, 2450},     // 8 RMS voltage, unsigned
    {-3000, 3000},    // 9 DC current, 0.1 A
    {0, 45000},       // 10 RMS current, unsigned
    {-2000, 30000},   // 11 DC power
    {-5000, 32000},   // 12 active power
    {3000, 3450},     // 13 peak voltage, unsigned
    {0, 60000},       // 14 peak current, unsigned
    {0, 12000},       // 15 irradiance
    {0, 30000},       // 16 energy
    {0, 32000},       // 17 power
    {0, 1000},        // 18 count
    {-20000, 20000},  // 19 DC current, 0.01 A
};

// Triangle wave 0..1000 with the given period, integer only (identical on every libm).
int triangle(uint64_t t, uint64_t period) {
    uint64_t ph = t % period;
    uint64_t half = period / 2;
    return int(ph < half ? ph * 1000 / half : (period - ph) * 1000 / (period - half));
}

}  // namespace

uint16_t sampleWord(uint64_t seed, const Node& n, int ch, uint32_t tm) {
    int code = n.conf[size_t(ch)] & 0x1F;
    uint64_t chanKey = mixHash(seed, n.addr, uint64_t(ch));
    uint64_t noise = mixHash(seed, n.addr, uint64_t(ch), tm);
    if (code == 0 || (ch > 0 && (n.conf[size_t(ch - 1)] & 0x1F) == 0)) {
        // A 32-bit pair: a counter that grows with time, high word then low word.
        int hi = (code == 0) ? ch : ch - 1;
        uint64_t key = mixHash(seed, n.addr, uint64_t(hi), 77);
        uint32_t v = uint32_t(key % 200000) + tm / 10 * uint32_t(1 + key % 7);
        return code == 0 ? uint16_t(v >> 16) : uint16_t(v & 0xFFFF);
    }
    if (code > 19) return uint16_t(noise);
    if (noise % 100 == 0) return 0xFFFF;  // the sensor's error value -1, now and then
    const CodeRange r = kRanges[code];
    int span = r.hi - r.lo;
    uint64_t period = 6000 + chanKey % 80000;  // tenths: 10 minutes to ~2.4 hours
    int centre = r.lo + int(chanKey % uint64_t(span / 2 + 1));
    int wave = triangle(tm + chanKey % period, period) * (span / 2) / 1000;
    int jitter = int(noise % uint64_t(span / 50 + 1));
    int v = std::clamp(centre + wave + jitter, r.lo, r.hi);
    return uint16_t(v & 0xFFFF);
}

namespace {

void put16(std::vector<uint8_t>& b, unsigned v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

std::vector<uint8_t> encodeRecord(uint64_t seed, const Node& n, uint32_t tm) {
    std::vector<uint8_t> r;
    r.reserve(size_t(n.recordLength()));
    r.push_back(n.addr);
    for (int i = 0; i < 4; ++i)
        r.push_back(uint8_t(tm >> (8 * i)));
    for (int c = 0; c < n.chanu(); ++c)
        put16(r, sampleWord(seed, n, c, tm));
    return r;
}

int tableLength(const std::vector<Node>& nodes) {
    int len = kTableHeader;
    for (const Node& n : nodes)
        len += 6 + 2 * n.chanu();
    return len;
}

uint16_t drawConf(Rng& rng, int code) {
    return uint16_t((rng.next() & 0xFFE0) | unsigned(code));
}

std::vector<Node> drawNodes(Rng& rng, const SessionParams& p) {
    std::vector<uint8_t> addrs;
    const int hiAddr = p.highAddresses ? 254 : 127;
    while (int(addrs.size()) < p.nodes) {
        auto a = uint8_t(rng.range(1, hiAddr));
        if (std::find(addrs.begin(), addrs.end(), a) == addrs.end()) addrs.push_back(a);
    }
    if (p.highAddresses && std::none_of(addrs.begin(), addrs.end(), [](uint8_t a) { return a > 127; })) {
        for (;;) {
            auto a = uint8_t(rng.range(128, 254));
            if (std::find(addrs.begin(), addrs.end(), a) != addrs.end()) continue;
            addrs[rng.below(addrs.size())] = a;
            break;
        }
    }
    static const uint16_t kTimers[] = {1, 2, 5, 10, 15, 30, 60};
    std::vector<Node> nodes(addrs.size());
    for (size_t k = 0; k < nodes.size(); ++k) {
        Node& n = nodes[k];
        n.addr = addrs[k];
        n.satmr = p.satmr > 0 ? uint16_t(p.satmr) : kTimers[rng.below(std::size(kTimers))];
        n.vbat = uint16_t(rng.range(300, 420));
        int chanu = int(rng.range(1, p.maxChannels));
        for (int c = 0; c < chanu; ++c) {
            bool canPair = c + 1 < chanu;
            if (canPair && rng.chance(p.pairChance)) {
                n.conf.push_back(drawConf(rng, 0));
                n.conf.push_back(drawConf(rng, int(rng.range(1, 19))));
                ++c;
            } else {
                n.conf.push_back(drawConf(rng, int(rng.range(1, 19))));
            }
        }
    }
    // Shrink the widest node until the table fits its page; a pair cut in half loses its
    // code-0 word too.
    while (tableLength(nodes) > kPageSize) {
        auto it = std::max_element(nodes.begin(), nodes.end(),
                                   [](const Node& a, const Node& b) { return a.chanu() < b.chanu(); });
        it->conf.pop_back();
        if (!it->conf.empty() && (it->conf.back() & 0x1F) == 0) it->conf.pop_back();
        if (it->conf.empty()) it->conf.push_back(drawConf(rng, 1));
    }
    if (p.brokenTable) {
        Node& n = nodes[rng.below(nodes.size())];
        if (n.chanu() < 2) n.conf.push_back(0);
        n.conf[0] = drawConf(rng, 0);
        n.conf[1] = drawConf(rng, 0);
        while (tableLength(nodes) > kPageSize) {
            Node& w = *std::max_element(nodes.begin(), nodes.end(),
                                        [](const Node& a, const Node& b) { return a.chanu() < b.chanu(); });
            w.conf.pop_back();
        }
    }
    return nodes;
}

// Yields the session's records in time order: each node every satmr seconds from its own
// phase. Markers never decrease; two nodes may share a tenth of a second (ties go to the
// node that comes first in the table), as on a busy radio channel.
class RecordStream {
  public:
    RecordStream(const std::vector<Node>& nodes, Rng& rng, uint32_t base) : nodes_(nodes) {
        for (const Node& n : nodes)
            next_.push_back(uint64_t(base) + rng.below(uint64_t(n.satmr) * 10));
    }
    size_t peekNode() const { return size_t(std::min_element(next_.begin(), next_.end()) - next_.begin()); }
    RecordRef take() {
        size_t k = peekNode();
        uint64_t t = next_[k];
        next_[k] += uint64_t(nodes_[k].satmr) * 10;
        if (t > 0xFFFFFFFFull) overflow_ = true;
        RecordRef r;
        r.addr = nodes_[k].addr;
        r.timeMarker = uint32_t(t);
        return r;
    }

  private:
    const std::vector<Node>& nodes_;
    std::vector<uint64_t> next_;
    bool overflow_ = false;

  public:
    bool overflow() const { return overflow_; }
};

}  // namespace

const Node* Session::findNode(uint8_t addr) const {
    for (const Node& n : nodes)
        if (n.addr == addr) return &n;
    return nullptr;
}

std::vector<uint8_t> buildTable(const std::vector<Node>& nodes, uint32_t pnom, uint8_t byte1,
                                const DateTime& start) {
    std::vector<uint8_t> t;
    t.push_back(0xFF);
    t.push_back(byte1);
    put16(t, unsigned(tableLength(nodes)));
    for (int i = 0; i < 4; ++i)
        t.push_back(uint8_t(pnom >> (8 * i)));
    t.push_back(toBcd(start.second));
    t.push_back(toBcd(start.minute));
    t.push_back(toBcd(start.hour));
    t.push_back(toBcd(start.day));
    t.push_back(toBcd(start.month));
    t.push_back(toBcd(start.year));
    t.push_back(0);
    t.push_back(0);
    for (const Node& n : nodes) {
        t.push_back(n.addr);
        t.push_back(uint8_t(n.chanu()));
        put16(t, n.satmr);
        for (uint16_t c : n.conf)
            put16(t, c);
        put16(t, n.vbat);
    }
    return t;
}

bool generateSession(const SessionParams& p, Session& s, std::string& err) {
    if (p.nodes < 1 || p.nodes > kMaxNodes) return err = "nodes must be 1..30", false;
    if (p.maxChannels < 1 || p.maxChannels > kMaxChannels) return err = "channels must be 1..64", false;
    if (!p.wrapped && (p.pages < 0 || p.pages > 4095)) return err = "pages must be 0..4095", false;
    if (p.tablePage < -1 || p.tablePage > 4095) return err = "table page must be 0..4095", false;
    if (p.tmpBytes < 0 || p.tmpBytes > kPageSize) return err = "tmpbuf must be 0..528", false;
    if (p.satmr < 0 || p.satmr > 65535) return err = "satmr must be 0..65535", false;
    if (p.oldTables < 0) return err = "oldtables must not be negative", false;
    if (!isValid(p.start)) return err = "invalid session start", false;

    s = Session{};
    s.params = p;
    Rng rng(p.seed);
    s.nodes = drawNodes(rng, p);
    s.pnom = uint32_t(rng.range(1000, 500000));
    s.tableByte1 = uint8_t(rng.below(256));
    s.table = buildTable(s.nodes, s.pnom, s.tableByte1, p.start);
    s.flash.assign(size_t(kPageCount) * kPageSize, 0xFF);

    s.pageTab = uint16_t(p.tablePage >= 0 ? p.tablePage : int(rng.below(kPageCount)));
    std::copy(s.table.begin(), s.table.end(), s.flash.begin() + std::ptrdiff_t(s.pageTab) * kPageSize);
    if (p.wrapped) {
        s.pageLast = uint16_t((s.pageTab + 1 + rng.below(4095)) & 0xFFF);
        for (uint16_t pg = nextPage(s.pageLast); s.dataPages.size() < 4095; pg = nextPage(pg))
            if (pg != s.pageTab) s.dataPages.push_back(pg);
        s.pageFirst = nextPage(s.pageLast);
    } else {
        for (int k = 1; k <= p.pages; ++k)
            s.dataPages.push_back(uint16_t((s.pageTab + k) & 0xFFF));
        s.pageLast = uint16_t((s.pageTab + p.pages) & 0xFFF);
        s.pageFirst = p.pages > 0 ? nextPage(s.pageTab) : s.pageTab;
    }
    s.status = uint8_t(p.statusExtra | (p.wrapped ? 0x08 : 0x00));
    s.errors = p.errors;

    // A wrapped session began long before its oldest surviving page.
    uint32_t base = p.wrapped ? uint32_t(rng.range(1000000, 20000000)) : 0;
    RecordStream stream(s.nodes, rng, base);
    auto lengthOf = [&](size_t k) { return s.nodes[k].recordLength(); };
    for (uint16_t pg : s.dataPages) {
        uint8_t* page = s.flash.data() + size_t(pg) * kPageSize;
        int off = 0;
        while (off + lengthOf(stream.peekNode()) <= kPageSize) {
            RecordRef r = stream.take();
            r.page = pg;
            r.offset = off;
            auto bytes = encodeRecord(p.seed, *s.findNode(r.addr), r.timeMarker);
            std::copy(bytes.begin(), bytes.end(), page + off);
            off += int(bytes.size());
            s.records.push_back(r);
        }
    }

    // Temporary buffer: the whole records that came after the last page.
    std::vector<uint8_t>& tb = s.tmpBuffer;
    bool badPlaced = false;
    for (;;) {
        size_t k = stream.peekNode();
        if (int(tb.size()) + lengthOf(k) > p.tmpBytes) break;
        RecordRef r = stream.take();
        r.offset = int(tb.size());
        auto bytes = encodeRecord(p.seed, s.nodes[k], r.timeMarker);
        tb.insert(tb.end(), bytes.begin(), bytes.end());
        s.records.push_back(r);
        if (p.tmpBadNode && !badPlaced) {
            // A record of a node the table does not know, right after the first good one.
            uint8_t bad = 1;
            while (s.findNode(bad) || bad == 0xFF)
                ++bad;
            Node ghost;
            ghost.addr = bad;
            ghost.conf.assign(size_t(rng.range(1, 4)), 1);
            auto gb = encodeRecord(p.seed, ghost, r.timeMarker + 1);
            tb.insert(tb.end(), gb.begin(), gb.end());
            badPlaced = true;
        }
    }
    if (p.tmpBadNode && !badPlaced) {
        uint8_t bad = 1;
        while (s.findNode(bad))
            ++bad;
        const uint8_t ghost[7] = {bad, 0, 0, 0, 0, 0x12, 0x34};
        tb.insert(tb.end(), ghost, ghost + 7);
    }
    if (p.tmpCutRecord) {
        RecordRef r = stream.take();
        auto bytes = encodeRecord(p.seed, *s.findNode(r.addr), r.timeMarker);
        size_t cut = std::max<size_t>(1, bytes.size() / 2);
        tb.insert(tb.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(cut));
    }
    if (tb.size() > size_t(kPageSize)) tb.resize(kPageSize);
    if (stream.overflow())
        return err = "session too long for 32-bit time markers (lower satmr or pages)", false;

    // Older sessions' tables on pages this session does not use.
    if (p.oldTables > 0) {
        std::vector<uint16_t> free;
        std::vector<bool> used(kPageCount, false);
        used[s.pageTab] = true;
        for (uint16_t pg : s.dataPages)
            used[pg] = true;
        for (int pg = 0; pg < kPageCount; ++pg)
            if (!used[size_t(pg)]) free.push_back(uint16_t(pg));
        if (int(free.size()) < p.oldTables) return err = "no room for the older tables", false;
        for (int k = 0; k < p.oldTables; ++k) {
            size_t pick = k + rng.below(free.size() - size_t(k));
            std::swap(free[size_t(k)], free[pick]);
            SessionParams op = p;
            op.nodes = int(rng.range(1, std::min(p.nodes, 8)));
            op.brokenTable = false;
            Rng orng(rng.next());
            auto oldNodes = drawNodes(orng, op);
            DateTime ostart = fromSeconds(toSeconds(p.start) - int64_t(rng.range(86400, 86400 * 200)));
            auto ot =
                buildTable(oldNodes, uint32_t(orng.range(1000, 500000)), uint8_t(orng.below(256)), ostart);
            std::copy(ot.begin(), ot.end(), s.flash.begin() + std::ptrdiff_t(free[size_t(k)]) * kPageSize);
            s.oldTablePages.push_back(free[size_t(k)]);
        }
        std::sort(s.oldTablePages.begin(), s.oldTablePages.end());
    }
    return true;
}

}  // namespace vx::sim
