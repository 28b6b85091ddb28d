// The monitor's packet lines: what each shows in the monitor text, raw or decoded, the
// lines that are dropped, a batch of lines from the port, and the values handed on to the
// channel windows and the battery column.

#include <gtest/gtest.h>

#include <random>

#include "monitor/temp_buffer_view.h"
#include "monitor_fixture.h"

namespace vx::test {
namespace {

using namespace vx::monitor;

class MonitorDecode : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        // Node 5: a temperature; node 200: DC power; node 7: a 32-bit energy pair and a
        // temperature.
        loadSession({{5, {0x0001}, 3600}, {200, {0x000B}, 3500}, {7, {0x0000, 0x0010, 0x0001}, 3400}});
    }
    std::string show(const std::string& line) {
        clearShown();
        handlePacketLine(reinterpret_cast<const uint8_t*>(line.data()), line.size());
        return shown();
    }
};

TEST_F(MonitorDecode, EachLineShowsItsText) {
    const std::string t = clockText(kNow) + ">>";
    const struct {
        std::string line, text;
    } cases[] = {
        {"ATUC0501F400C80B54", t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n"},
        {"ATUC0501f400c80b54", t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n"},
        {"ATUC0501F400C80B54X", t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n"},  // a stray character
        {"ATUC05FFFFFF9C0B54", t + " CH5_1= -0.01 Tboard= -10.0 Vbat= 29.00\r\n"},
        {"ATUC05ZZZZ00C80B54", t + " CH5_1= 0.00 Tboard= 20.0 Vbat= 29.00\r\n"},  // non-hex reads 0
        {"ATUCC804D200C80B54", t + " CH200_1= 1234 Tboard= 20.0 Vbat= 29.00\r\n"},
        {"ATUC07000186A0089800C80B54", t + " CH7_1= 10000.0 CH7_2= 22.00 Tboard= 20.0 Vbat= 29.00\r\n"},
        // Two more samples than the table has, an unknown node, no sample at all: raw.
        {"ATUC0501F40001000200C80B54",
         t + " NodeAd= 5 vx[0]= 500 vx[1]= 1 vx[2]= 2 Tboard= 200 Vbat= 2900\r\n"},
        {"ATUC09FFFEFF9C0B54", t + " NodeAd= 9 vx[0]= -2 Tboard= -100 Vbat= 2900\r\n"},
        {"ATUC0501F400C8", t + " NodeAd= 5 Tboard= 500 Vbat= 200\r\n"},
        {"ATBC0500003C0B54", "BC>> NodeAd= 5 ChaNu= 0 SaTmr= 60 Vbat= 2900\r\n"},
        {"ATBC050200788001ab000B54",
         "BC>> NodeAd= 5 ChaNu= 2 SaTmr= 120 Cf[0]= 0x8001 Cf[1]= 0xAB00 Vbat= 2900\r\n"},
        {"ATNA05OK", "TEST>> NodeAd= 5 OK\r\n"},
        {"ATNA05O", "TEST>> NodeAd= 5 O\r\n"},
        {"ATNA05", "TEST>> NodeAd= 5 \r\n"},
        // Dropped: too short, more words claimed than carried, an unknown beginning.
        {"ATUC0501F400C", ""},
        {"ATBC050300788001AB000B54", ""},
        {"ATBC05FF0078", ""},
        {"ATBC05", ""},
        {"ATNA0", ""},
        {"ATXX0501F400C80B54", ""},
        {"atuc0501F400C80B54", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(c.line), c.text) << c.line;
}

TEST_F(MonitorDecode, BroadcastOfMoreThan64WordsIsDropped) {
    std::string line = "ATBC0541003C";
    for (int i = 0; i < 65; ++i)
        line += "0001";
    line += "0B54";
    EXPECT_EQ(show(line), "");
    line = "ATBC0540003C" + line.substr(16);  // 64 words: the most a line may claim
    EXPECT_EQ(show(line).rfind("BC>> NodeAd= 5 ChaNu= 64 SaTmr= 60 Cf[0]= 0x0001 ", 0), 0u);
}

TEST_F(MonitorDecode, DataPacketsOfSessionNodesFeedTheBatteryColumnAndWindows) {
    std::vector<std::tuple<int, std::string, float>> values;
    MonitorHooks hooks;
    hooks.channelValue = [&](int slot, const char* text, float v) { values.emplace_back(slot, text, v); };
    setMonitorHooks(hooks);
    ASSERT_TRUE(clickChannelCell(2, 3));  // node 7, its second channel
    ASSERT_TRUE(clickChannelCell(0, 2));  // node 5
    show("ATUC0501F400C80B54");
    EXPECT_TRUE(values.empty()) << "no channel window is open yet";
    open_datawindows();

    show("ATUC07000186A0089800C80B50");
    show("ATUC0501F400C80B54");
    show("ATUC0501F40001000200C80B00");  // raw: feeds nothing
    show("ATUC09FFFE00C80B00");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], std::make_tuple(0, std::string("22.00"), 22.0f));
    EXPECT_EQ(values[1], std::make_tuple(1, std::string("5.00"), 5.0f));
    EXPECT_EQ(Dataset[0], 22.0f);
    EXPECT_EQ(Dataset[1], 5.0f);
    EXPECT_EQ(Vbat_curr[1], 0x0B54);
    EXPECT_EQ(Vbat_curr[2], 0);
    EXPECT_EQ(Vbat_curr[3], 0x0B50);

    close_datawindows();
    show("ATUC0501F400C80B54");
    EXPECT_EQ(values.size(), 2u);
    const MonitorStats& s = monitorStats();
    EXPECT_EQ(s.dataSession, 4u);
    EXPECT_EQ(s.dataRaw, 2u);
}

TEST_F(MonitorDecode, LinesOfAnyContentShowOnlyWholeKnownLines) {
    std::mt19937 rng(7);
    const std::string pieces[] = {"ATUC", "ATBC", "ATNA", "05",       "C8", "07",
                                  "FFFF", "00",   "zz",   "\x01\xff", "8",  "0"};
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        const int kind = int(rng() % 3);
        const size_t length = rng() % 272;       // up to the longest line the buffer takes
        if (kind < 2) line = pieces[rng() % 3];  // a known beginning, then anything
        while (line.size() < length) {
            if (kind == 0)
                line += pieces[rng() % std::size(pieces)];
            else
                line += char(rng() % 256 == 13 ? 'x' : rng() % 256);
        }
        handlePacketLine(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    }
    const std::string all = shown();
    size_t pos = 0, lines = 0;
    while (pos < all.size()) {
        size_t end = all.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "a line without its end";
        std::string line = all.substr(pos, end - pos);
        EXPECT_TRUE(line.rfind("BC>> ", 0) == 0 || line.rfind("TEST>> ", 0) == 0 ||
                    line.rfind(clockText(kNow) + ">> ", 0) == 0)
            << line;
        pos = end + 2;
        ++lines;
    }
    const MonitorStats& s = monitorStats();
    EXPECT_GT(s.dataSession + s.dataRaw, 100u) << "the noise must reach the decoding";
    EXPECT_EQ(s.lines, 3000u);
    EXPECT_EQ(lines, s.broadcasts + s.tests + s.dataSession + s.dataRaw);
    EXPECT_EQ(s.lines, lines + s.dropped);
}

TEST_F(MonitorDecode, OneBatchTakesEveryLineWaiting) {
    connectStream();
    device->at(0, "ATUC0501F400C80B54\rATUC0901F400C80B54\r");
    EXPECT_EQ(runPacketBatch(), 2);
    const std::string t = clockText(kNow) + ">>";
    EXPECT_EQ(shown(), t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n" + t +
                           " NodeAd= 9 vx[0]= 500 Tboard= 200 Vbat= 2900\r\n");
    EXPECT_EQ(Timeout_rx, TO_RX_SLOW) << "the receive time-out is put back";
    EXPECT_EQ(runPacketBatch(), 0);
}

TEST_F(MonitorDecode, LineLongerThanTheBufferIsDroppedWhole) {
    connectStream();
    // 300 characters: the receive stops at the buffer's end; the rest of the line comes
    // first in the next batch and must not be taken for a line of its own.
    device->at(0, std::string(290, '7') + "ATUC0501F4\rATUC0501F400C80B54\r");
    EXPECT_EQ(runPacketBatch(), 0);
    EXPECT_EQ(runPacketBatch(), 2);
    EXPECT_EQ(shown(), clockText(kNow) + ">> CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n");
    EXPECT_EQ(monitorStats().overflows, 1u);
    EXPECT_EQ(monitorStats().dropped, 1u);
}

TEST_F(MonitorDecode, TemporaryBufferRecordsUpToTheFirstUnknownByte) {
    // Node 5 (one sample) and node 7 (three), then a record cut off by the count.
    const uint8_t buf[] = {5, 0x10, 0, 0, 0, 0xF4, 0x01,                          // 16: 5.00
                           7, 0x20, 0, 0, 0, 0x01, 0x00, 0xA0, 0x86, 0x98, 0x08,  // 32
                           5, 0x30, 0, 0, 0, 0xFF, 0xFF,                          // 48: -0.01
                           5, 0x40, 0, 0, 0};                                     // cut off
    showBufferRecords(buf, sizeof buf);
    EXPECT_EQ(shown(), "16>> CH5_1= 5.00\r\n32>> CH7_1= 10000.0 CH7_2= 22.00\r\n48>> CH5_1= -0.01\r\n");
    clearShown();
    const uint8_t unknown[] = {5, 1, 0, 0, 0, 0xF4, 0x01, 9, 2, 0, 0, 0, 1, 0};
    showBufferRecords(unknown, sizeof unknown);
    EXPECT_EQ(shown(), "1>> CH5_1= 5.00\r\n");
}

}  // namespace
}  // namespace vx::test
