#include "support/reference_table.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace vx::test {
namespace {

struct Quantity {
    const char* name;
    int divisor;  // 1: printed as an integer
    int decimals;
    bool isUnsigned;
};

// Names as the program writes them (Windows-1252: 0xB0, octal 260, is the degree sign).
const Quantity kQuantities[20] = {
    {"0x00", 1, 0, false},
    {"Temperature (0.00 \260C)", 100, 2, false},
    {"Thermal Flux (0.00 W/m2)", 100, 2, false},
    {"Air Temperature (0.00 \260C)", 100, 2, false},
    {"Relative Humidity (0.00 %)", 100, 2, false},
    {"Dew Point (0.00 \260C)", 100, 2, false},
    {"Air Pressure (0.00 hPa) ", 100, 2, true},
    {"DC Voltage (0.0 V)", 10, 1, false},
    {"RMS Voltage (0.0 V)", 10, 1, true},
    {"DC Current (0.0 A)", 10, 1, false},
    {"RMS Current (0.0 A)", 10, 1, true},
    {"DC Power (W)", 1, 0, false},
    {"Active Power (W)", 1, 0, false},
    {"Peak Voltage (0.0 V)", 10, 1, true},
    {"Peak Current (0.0 A)", 10, 1, true},
    {"Irradiance (0.0 W/m2)", 10, 1, false},
    {"Energy (0.0 kWh)", 10, 1, false},
    {"Power (0.00 kW)", 1000, 2, false},
    {"N (adim.)", 1, 0, false},
    {"DC Current (0.00 A)", 100, 2, false},
};

std::string quantityName(int code) {
    if (code < 20) return kQuantities[code].name;
    char b[16];
    std::snprintf(b, sizeof b, "0x%02X", unsigned(code));
    return b;
}

struct Channel {
    int phys;   // index of the (low) physical channel
    bool wide;  // high word in the channel before
    int code;
};

std::vector<Channel> channelsOf(const vx::sim::Node& n) {
    std::vector<Channel> out;
    bool high = false;
    for (int i = 0; i < n.chanu(); ++i) {
        int code = n.conf[size_t(i)] & 0x1F;
        if (code == 0) {
            high = true;
            continue;
        }
        out.push_back({i, high, code});
        high = false;
    }
    return out;
}

int32_t channelValue(const uint8_t* rec, const Channel& c) {
    auto word = [&](int i) { return uint16_t(rec[5 + 2 * i] | rec[6 + 2 * i] << 8); };
    if (!c.wide) return int16_t(word(c.phys));
    return int32_t(int16_t(word(c.phys - 1))) * 65536 + int32_t(word(c.phys));
}

uint32_t markerOf(const uint8_t* rec) {
    return uint32_t(rec[1]) | uint32_t(rec[2]) << 8 | uint32_t(rec[3]) << 16 | uint32_t(rec[4]) << 24;
}

// The text the program shows for raw value x of quantity code.
std::string referenceValueText(int code, int32_t x) {
    char b[64];
    if (code == 0 || code >= 20) {
        std::snprintf(b, sizeof b, "%d", x);
        return b;
    }
    const Quantity& q = kQuantities[code];
    if (code == 6) {
        if (x == -1) return "Err";
        int32_t u = x < 0 ? x + 65536 : x;
        std::snprintf(b, sizeof b, "%.2f", double(float(u + 60000) / 100.0f));
        return b;
    }
    int32_t v = q.isUnsigned && x < 0 ? x + 65536 : x;
    if (q.divisor == 1) {
        std::snprintf(b, sizeof b, "%d", v);
    } else {
        std::snprintf(b, sizeof b, q.decimals == 1 ? "%.1f" : "%.2f", double(float(v) / float(q.divisor)));
    }
    return b;
}

}  // namespace

std::string referenceDataFile(const vx::sim::Session& s, const ReferenceInput& in, int* rowsOut) {
    // The records the download keeps: those of the most recent pages, then the buffer's
    // whole records up to the first unknown address.
    int total = s.totalPages();
    int pages = in.pagesDownloaded < 0 || in.pagesDownloaded > total ? total : in.pagesDownloaded;
    std::set<int> downloaded(s.dataPages.end() - pages, s.dataPages.end());
    std::vector<const uint8_t*> recs;
    for (const auto& r : s.records)
        if (r.page >= 0 && downloaded.count(r.page)) recs.push_back(s.page(r.page) + r.offset);
    size_t flashRecords = recs.size();
    for (size_t off = 0; off < s.tmpBuffer.size();) {
        const vx::sim::Node* n = s.findNode(s.tmpBuffer[off]);
        if (!n || off + size_t(n->recordLength()) > s.tmpBuffer.size()) break;
        recs.push_back(s.tmpBuffer.data() + off);
        off += size_t(n->recordLength());
    }

    uint32_t first = 0, last = 0;
    if (flashRecords > 0) {
        // The first record of the first page read (a page holds at least one record).
        first = markerOf(recs.front());
    } else if (pages == 0 && recs.size() > 0) {
        first = markerOf(recs.front());
    }
    if (recs.size() > flashRecords) {
        last = markerOf(recs.back());
    } else {
        // The last record of the last page of the session.
        for (const auto& r : s.records)
            if (r.page == s.pageLast) last = r.timeMarker;
    }

    std::string out;
    char b[128];
    std::snprintf(b, sizeof b, "Time[s]: %u\r\n", unsigned(in.tsample));
    out += b;
    std::vector<std::vector<Channel>> chans;
    for (const auto& n : s.nodes) {
        chans.push_back(channelsOf(n));
        for (size_t j = 0; j < chans.back().size(); ++j) {
            std::snprintf(b, sizeof b, "\"CH%u_%u: ", unsigned(n.addr), unsigned(j + 1));
            out += b + quantityName(chans.back()[j].code) + "\" ";
        }
    }
    out += "\r\n";

    const uint32_t tcf = 10u * in.tsample;
    size_t next = 0;
    int rows = 0;
    for (uint64_t t = first; t < last; t += tcf) {
        std::map<uint8_t, std::pair<int, std::vector<int64_t>>> sums;
        size_t summed = 0;
        while (next < recs.size() && uint64_t(markerOf(recs[next])) < t + tcf / 2) {
            const uint8_t* rec = recs[next++];
            size_t k = 0;
            while (s.nodes[k].addr != rec[0])
                ++k;
            auto& [n, sum] = sums[rec[0]];
            sum.resize(chans[k].size());
            ++n;
            for (size_t j = 0; j < chans[k].size(); ++j)
                sum[j] += channelValue(rec, chans[k][j]);
            ++summed;
        }
        if (next == recs.size() && summed == 0) break;
        for (size_t k = 0; k < s.nodes.size(); ++k) {
            auto it = sums.find(s.nodes[k].addr);
            for (size_t j = 0; j < chans[k].size(); ++j) {
                int32_t avg = 0;
                if (it != sums.end() && it->second.first > 0)
                    avg = int32_t(std::nearbyint(float(it->second.second[j]) / float(it->second.first)));
                out += referenceValueText(chans[k][j].code, avg) + " ";
            }
        }
        out += "\r\n";
        ++rows;
    }
    if (rowsOut) *rowsOut = rows;
    return out;
}

}  // namespace vx::test
