// The monitor: its packet lines shown raw or decoded, the data export file, the channel
// selection and its windows, the monitor window's procedures, and the simulated logger's
// monitor mode against it. The tests use a session of hand-made nodes, a PC clock they
// set, a scratch working folder, and a logger that sends what a test queues and answers
// commands from a table, on the fake port's virtual clock.

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "link/transaction.h"
#include "monitor/monitor.h"
#include "monitor/temp_buffer_view.h"
#include "session/memory_model.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "shell/logger_modes.h"
#include "sim/fake_serial_port.h"
#include "sim/faults.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

using namespace vx::monitor;
namespace fs = std::filesystem;

struct TestNode {
    uint8_t addr;
    std::vector<uint16_t> conf;  // quantity code in the low five bits; 0 starts a 32-bit pair
    uint16_t vbat = 360;
};

// Bytes queued by the test come out at their time; commands are answered from a table.
class StreamDevice : public vx::sim::Device {
  public:
    void at(int64_t ms, const std::string& bytes) { queue_.push_back({ms * 1000000, bytes}); }
    std::map<std::string, std::string> replies;  // command without CR -> reply line
    std::vector<std::string> commands;

    void receive(const uint8_t* data, size_t len, int64_t, vx::sim::Output& out) override {
        std::string cmd;
        for (size_t i = 0; i < len; ++i)
            if (splitter_.feed(data[i], cmd)) {
                commands.push_back(cmd);
                if (auto it = replies.find(cmd); it != replies.end()) out.line(it->second);
            }
    }
    int64_t nextEventNs() const override { return queue_.empty() ? vx::sim::kNever : queue_.front().first; }
    void tick(int64_t nowNs, vx::sim::Output& out) override {
        for (; !queue_.empty() && queue_.front().first <= nowNs; queue_.pop_front())
            out.raw(reinterpret_cast<const uint8_t*>(queue_.front().second.data()),
                    queue_.front().second.size());
    }

  private:
    std::deque<std::pair<int64_t, std::string>> queue_;
    vx::sim::CommandSplitter splitter_;
};

class MonitorTest : public ProgramTest {
  protected:
    static constexpr std::time_t kNow = 1717400000;  // the PC clock unless a test moves it
    void SetUp() override {
        ProgramTest::SetUp();
        Init_Datalogger();
        vx::monitor::setPcClock([this] { return now; });
        vx::monitor::setMonitorBox(box);
        char tmpl[] = "/tmp/vxmonXXXXXX";
        dir = mkdtemp(tmpl);
        old = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        vx::monitor::closeExport();
        vx::monitor::setPcClock(nullptr);
        hCom = nullptr;
        fs::current_path(old);
        fs::remove_all(dir);
        ProgramTest::TearDown();
    }

    // The session table of these nodes (started 240228_030405) decoded into InfoFE.
    static void loadSession(const std::vector<TestNode>& nodes) {
        std::vector<uint8_t> t = {0xFF, 3, 0, 0, 0, 0, 0, 0, 0x05, 0x04, 0x03, 0x28, 0x02, 0x24, 0, 0};
        auto put16 = [&t](unsigned v) { t.insert(t.end(), {uint8_t(v), uint8_t(v >> 8)}); };
        for (const auto& n : nodes) {
            t.insert(t.end(), {n.addr, uint8_t(n.conf.size())});
            put16(60);
            for (uint16_t w : n.conf)
                put16(w);
            put16(n.vbat);
        }
        t[2] = uint8_t(t.size()), t[3] = uint8_t(t.size() >> 8);
        std::memset(TabAss, 0, sizeof TabAss);
        std::memcpy(TabAss, t.data(), t.size());
        ASSERT_EQ(vx::session::decodeTabAss(), vx::session::TableStatus::Ok);
        vx::session::sessionStartText(TabAss, DataTimeSS);
    }
    // The port to a StreamDevice (kept by the test through `device`).
    void connectStream() {
        auto d = std::make_unique<StreamDevice>();
        device = d.get();
        port = std::make_unique<vx::sim::FakeSerialPort>(std::move(d));
        hCom = port.get();
        Timeout_rx = Timeout_rx_def = TO_RX_SLOW;
    }
    static void feed(const std::string& line) {
        handlePacketLine(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    }
    // What one packet line adds to the monitor text.
    std::string show(const std::string& line) {
        clearShown();
        feed(line);
        return shown();
    }
    std::string shown() { return ui.texts[box]; }
    void clearShown() { ui.texts[box].clear(); }
    static std::string timeText(std::time_t t, const char* format = "%T") {
        std::tm tm{};
        localtime_r(&t, &tm);
        char b[32];
        std::strftime(b, sizeof b, format, &tm);
        return b;
    }
    static std::string readFile(const std::string& name) {
        std::ifstream f(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // The lines of `text` that packet lines made (told by their beginning), and all its lines.
    static std::pair<size_t, size_t> countLines(const std::string& text) {
        const std::string stamp = timeText(kNow) + ">> ";
        size_t packets = 0, lines = 0;
        for (size_t p = 0, end; (end = text.find("\r\n", p)) != std::string::npos; p = end + 2, ++lines) {
            const std::string_view l(text.data() + p, end - p);
            packets += l.starts_with("BC>> ") || l.starts_with("TEST>> ") || l.starts_with(stamp);
        }
        return {packets, lines};
    }

    vx::ui::WindowHandle box = reinterpret_cast<vx::ui::WindowHandle>(0x401);
    std::time_t now = kNow;
    StreamDevice* device = nullptr;
    std::unique_ptr<vx::sim::FakeSerialPort> port;
    fs::path dir, old;
};

// --- Packet lines -------------------------------------------------------------------------

class MonitorDecode : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        // Node 5: a temperature; node 200: DC power; node 7: a 32-bit energy pair and a
        // temperature.
        loadSession({{5, {0x0001}, 3600}, {200, {0x000B}, 3500}, {7, {0x0000, 0x0010, 0x0001}, 3400}});
    }
};

TEST_F(MonitorDecode, EachLineShowsItsText) {
    const std::string t = timeText(kNow) + ">>";
    const std::pair<std::string, std::string> cases[] = {
        {"ATUC0501F400C80B54", t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n"},
        {"ATUC0501f400c80b54", t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n"},
        {"ATUC05FFFFFF9C0B54", t + " CH5_1= -0.01 Tboard= -10.0 Vbat= 29.00\r\n"},
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
        // Dropped: too short, more words claimed than carried, an unknown beginning, a
        // line spoilt on the way (a stray character, a digit garbled, two lines run together).
        {"ATUC0501F400C", ""},
        {"ATUC0501F400C80B54X", ""},
        {"ATUC05ZZZZ00C80B54", ""},
        {"ATUC0501F4ATUC0501F400C80B54", ""},
        {"ATBC0500003C0B5G", ""},
        {"ATNA0GOK", ""},
        {"ATBC050300788001AB000B54", ""},
        {"ATBC05FF0078", ""},
        {"ATBC05", ""},
        {"ATNA0", ""},
        {"ATXX0501F400C80B54", ""},
        {"atuc0501F400C80B54", ""},
        {"", ""},
    };
    for (const auto& [line, text] : cases)
        EXPECT_EQ(show(line), text) << line;

    // 64 words are the most a broadcast may claim.
    std::string words;
    for (int i = 0; i < 65; ++i)
        words += "0001";
    EXPECT_EQ(show("ATBC0541003C" + words + "0B54"), "");
    EXPECT_TRUE(show("ATBC0540003C" + words.substr(4) + "0B54")
                    .starts_with("BC>> NodeAd= 5 ChaNu= 64 SaTmr= 60 Cf[0]= 0x0001 "));
}

TEST_F(MonitorDecode, DataPacketsOfSessionNodesFeedTheBatteryColumnAndWindows) {
    std::vector<std::tuple<int, std::string, float>> values;
    MonitorHooks hooks;
    hooks.channelValue = [&](int slot, const char* text, float v) { values.emplace_back(slot, text, v); };
    setMonitorHooks(hooks);
    ASSERT_TRUE(clickChannelCell(2, 3));  // node 7, its second channel
    ASSERT_TRUE(clickChannelCell(0, 2));  // node 5
    feed("ATUC0501F400C80B54");
    EXPECT_TRUE(values.empty()) << "no channel window is open yet";
    open_datawindows();
    for (const char* line : {"ATUC07000186A0089800C80B50", "ATUC0501F400C80B54", "ATUC0501F40001000200C80B00",
                             "ATUC09FFFE00C80B00"})
        feed(line);  // the last two raw: they feed nothing
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], std::make_tuple(0, std::string("22.00"), 22.0f));
    EXPECT_EQ(values[1], std::make_tuple(1, std::string("5.00"), 5.0f));
    EXPECT_EQ(Dataset[0], 22.0f);
    EXPECT_EQ(Dataset[1], 5.0f);
    EXPECT_EQ(Vbat_curr[1], 0x0B54);
    EXPECT_EQ(Vbat_curr[2], 0);
    EXPECT_EQ(Vbat_curr[3], 0x0B50);

    close_datawindows();
    feed("ATUC0501F400C80B54");
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(monitorStats().dataSession, 4u);
    EXPECT_EQ(monitorStats().dataRaw, 2u);
}

TEST_F(MonitorDecode, LinesOfAnyContentShowOnlyWholeKnownLines) {
    std::mt19937 rng(7);
    const std::string heads[] = {"ATUC", "ATBC", "ATNA"};
    const std::string fields[] = {"05", "C8", "07", "FFFF", "00"};
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        const int kind = int(rng() % 3);
        const size_t length = rng() % 272;      // up to the longest line the buffer takes
        if (kind < 2) line = heads[rng() % 3];  // a known beginning, then hex fields or anything
        while (line.size() < length)
            line += kind == 0 ? fields[rng() % std::size(fields)]
                              : std::string(1, char(rng() % 256 == 13 ? 'x' : rng() % 256));
        feed(line);
    }
    const std::string all = shown();
    const auto [packets, lines] = countLines(all);
    EXPECT_TRUE(all.ends_with("\r\n")) << "a line without its end";
    EXPECT_EQ(packets, lines) << "only lines a packet makes";
    const MonitorStats& s = monitorStats();
    EXPECT_GT(s.dataSession + s.dataRaw, 100u) << "the noise must reach the decoding";
    EXPECT_EQ(s.lines, 3000u);
    EXPECT_EQ(lines, s.broadcasts + s.tests + s.dataSession + s.dataRaw);
    EXPECT_EQ(s.lines, lines + s.dropped);
}

TEST_F(MonitorDecode, BatchTakesEveryLineWaitingAndDropsALineLongerThanTheBufferWhole) {
    connectStream();
    const std::string t = timeText(kNow) + ">>";
    device->at(0, "ATUC0501F400C80B54\rATUC0901F400C80B54\r");
    EXPECT_EQ(runPacketBatch(), 2);
    EXPECT_EQ(shown(), t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n" + t +
                           " NodeAd= 9 vx[0]= 500 Tboard= 200 Vbat= 2900\r\n");
    EXPECT_EQ(Timeout_rx, TO_RX_SLOW) << "the receive time-out is put back";
    EXPECT_EQ(runPacketBatch(), 0);

    // 300 characters: the receive stops at the buffer's end; the rest of the line comes
    // first in the next batch and must not be taken for a line of its own.
    clearShown();
    device->at(0, std::string(290, '7') + "ATUC0501F4\rATUC0501F400C80B54\r");
    EXPECT_EQ(runPacketBatch(), 0);
    EXPECT_EQ(runPacketBatch(), 2);
    EXPECT_EQ(shown(), t + " CH5_1= 5.00 Tboard= 20.0 Vbat= 29.00\r\n");
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

// --- The data export file -----------------------------------------------------------------

class MonitorExport : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        path = (dir / "data.csv").string();
        // 2, 3 and 1 logical channels: a temperature and a DC power; a DC voltage, an
        // active power and a 32-bit energy; a DC current in hundredths.
        loadSession({{10, {0x0001, 0x000B}}, {20, {0x0007, 0x000C, 0x0000, 0x0010}}, {30, {0x0013}}});
    }
    static std::string stamp(std::time_t t) { return timeText(t, "%y%m%d_%H%M%S"); }
    std::string path;
};

const char* kHeader =
    "\"Timestamp\";\"CH10_1: Temperature (0.00 \260C)\";\"CH10_2: DC Power (W)\";\"CH20_1: DC Voltage (0.0 "
    "V)\";\"CH20_2: Active Power (W)\";"
    "\"CH20_3: Energy (0.0 kWh)\";\"CH30_1: DC Current (0.00 A)\"\r\n";

TEST_F(MonitorExport, RowsAverageEachPeriodInTheColumnsFixedAtTheStart) {
    Tsample_exp = 5;
    ASSERT_EQ(startExportTo(path, nullptr), 1);
    EXPECT_EQ(readFile(path), kHeader) << "the header is on the disk at once";

    // Node 10 five times: 12.34 and a power averaging 1234.6; nothing from the others.
    for (const char* power : {"04D2", "04D3", "04D3", "04D2", "04D3"})
        feed(std::string("ATUC0A04D2") + power + "00C80B54");
    EXPECT_EQ(ExpoN[0], 5);
    EXPECT_EQ(ExpoN[2], 0);
    now = kNow + 6;
    ASSERT_TRUE(exportTick());
    // Node 20 once: its columns 3 to 5, the one value as it is.
    feed("ATUC14090100F40001000000C80B54");
    EXPECT_EQ(ExpoN[0] + ExpoN[1] + ExpoN[5], 0);
    EXPECT_EQ(ExpoN[2] + ExpoN[3] + ExpoN[4], 3);
    Flag.comma = 1;
    now = kNow + 11;
    ASSERT_TRUE(exportTick());
    // The table read again has other nodes: their packets cannot go in the file's columns
    // (an empty column shows a zero with the decimals it last had).
    Flag.comma = 0;
    loadSession({{10, {0x0001}}, {40, {0x0001}}});
    feed("ATUC0A04D200C80B54");
    feed("ATUC2804D200C80B54");
    now = kNow + 16;
    ASSERT_TRUE(exportTick());

    EXPECT_EQ(readFile(path), std::string(kHeader) + stamp(kNow + 6) + ";12.34;1235;0;0;0;0\r\n" +
                                  stamp(kNow + 11) + ";0,00;0;230,5;244;6553,6;0\r\n" + stamp(kNow + 16) +
                                  ";0.00;0;0.0;0;0.0;0\r\n");
    EXPECT_EQ(exportRows(), 3u);
}

TEST_F(MonitorExport, RowTimingCatchesUpAfterALateTick) {
    Tsample_exp = 10;
    std::vector<std::string> elapsed;
    MonitorHooks hooks;
    hooks.exportElapsed = [&](const char* t) { elapsed.push_back(t); };
    setMonitorHooks(hooks);
    hDlgSel = reinterpret_cast<vx::ui::WindowHandle>(0x1200);
    ASSERT_EQ(startExportTo(path, nullptr), 1);
    const std::pair<int, bool> ticks[] = {// seconds after the start, a row written
                                          {1, false},  {10, false}, {11, true}, {11, false},
                                          {20, false}, {21, true},  {45, true}, {45, true},
                                          {45, false}, {50, false}, {51, true}, {90061, true}};
    std::string expected = kHeader;
    for (const auto& [at, row] : ticks) {
        now = kNow + at;
        EXPECT_EQ(exportTick(), row) << "tick at T+" << at;
        if (row) expected += stamp(now) + ";0;0;0;0;0;0\r\n";
    }
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(elapsed, (std::vector<std::string>{"0 00:00:11", "0 00:00:21", "0 00:00:45", "0 00:00:45",
                                                 "0 00:00:51", "1 01:01:01"}));
    hDlgSel = nullptr;
}

TEST_F(MonitorExport, DecimalCommaOnlyInTheFirstTenCharacters) {
    const std::tuple<const char*, int, const char*> cases[] = {{"12.34", 1, "12,34"},
                                                               {"12.34", 0, "12.34"},
                                                               {"-0.5", 1, "-0,5"},
                                                               {"1235", 1, "1235"},
                                                               {"123456789.5", 1, "123456789,5"},
                                                               {"1234567890.5", 1, "1234567890.5"},
                                                               {"1.2.3", 1, "1,2.3"},
                                                               {"", 1, ""}};
    for (const auto& [in, comma, out] : cases) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s", in);
        virgAdj(buf, comma);
        EXPECT_STREQ(buf, out) << in;
    }
}

TEST_F(MonitorExport, FileThatCannotBeCreatedOrWrittenIsReportedOnceAndTheMonitorGoesOn) {
    int stopped = 0;
    MonitorHooks hooks;
    hooks.exportStopped = [&] { ++stopped; };
    setMonitorHooks(hooks);
    Tsample_exp = 1;
    const std::string missing = (dir / "no" / "such" / "data.csv").string();
    const std::tuple<std::string, std::string, int> cases[] = {
        {missing, "Data export file " + missing + " can not be created !\r\n\r\n(", 0},
        {"/dev/full",
         "Data export file /dev/full can not be written !\r\n\r\nThe export stopped after its last complete "
         "row (0 rows).",
         1}};
    for (const auto& [file, message, stops] : cases) {
        if (file == "/dev/full" && !fs::exists(file)) continue;
        ui.messages.clear();
        stopped = 0;
        EXPECT_EQ(startExportTo(file, nullptr), 0) << file;
        EXPECT_FALSE(exportRunning());
        feed("ATUC0A04D204D200C80B54");
        for (int s = 2; s < 10; ++s) {
            now = kNow + s;
            EXPECT_FALSE(exportTick());
        }
        ASSERT_EQ(ui.messages.size(), 1u) << file;
        EXPECT_EQ(ui.messages[0].caption, "File Error");
        EXPECT_TRUE(ui.messages[0].text.starts_with(message)) << ui.messages[0].text;
        EXPECT_EQ(stopped, stops) << file;
    }
}

TEST_F(MonitorExport, StartAsksForTheFileAndACancelLeavesTheExportOff) {
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(startExport(nullptr), 0);
    EXPECT_FALSE(exportRunning());
    ui.chooseFile(path);
    EXPECT_EQ(startExport(nullptr), 1);
    EXPECT_TRUE(exportRunning());
    EXPECT_EQ(exportFileName(), path);
    EXPECT_TRUE(ui.messages.empty());
}

// --- The channel selection and its windows ------------------------------------------------

class MonitorSelection : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        // Three nodes of 3, 4 and 2 logical channels (the second with a 32-bit pair).
        loadSession({{5, {0x0001, 0x0004, 0x0007}, 3600},
                     {200, {0x0001, 0x0000, 0x0010, 0x000B, 0x000C}, 2980},
                     {9, {0x0013, 0x0011}, 3300}});
    }
    // The selection as "row:column" per slot, "-" for a free one.
    static std::string slots() {
        std::string s;
        for (int i = 0; i < NWINMAX; ++i)
            s += InfoSELCH.canale[i]
                     ? std::to_string(InfoSELCH.nodo[i]) + ":" + std::to_string(InfoSELCH.canale[i]) + " "
                     : "- ";
        return s + "n=" + std::to_string(InfoSELCH.ncsel);
    }
};

TEST_F(MonitorSelection, ClicksTakeTheLowestFreeSlotUpToEight) {
    const std::tuple<int, int, bool, const char*> clicks[] = {
        {0, 0, false, "- - - - - - - - n=0"},   // Node column
        {1, 1, false, "- - - - - - - - n=0"},   // Vbat column
        {0, 5, false, "- - - - - - - - n=0"},   // node 5 has three channels
        {3, 2, false, "- - - - - - - - n=0"},   // no fourth node
        {-1, 2, false, "- - - - - - - - n=0"},  // the heading
        {0, 2, true, "0:2 - - - - - - - n=1"},
        {0, 3, true, "0:2 0:3 - - - - - - n=2"},
        {1, 2, true, "0:2 0:3 1:2 - - - - - n=3"},
        {0, 3, true, "0:2 - 1:2 - - - - - n=2"},    // deselected: its slot is free
        {2, 3, true, "0:2 2:3 1:2 - - - - - n=3"},  // the lowest free slot again
        {1, 3, true, "0:2 2:3 1:2 1:3 - - - - n=4"},
        {1, 4, true, "0:2 2:3 1:2 1:3 1:4 - - - n=5"},
        {1, 5, true, "0:2 2:3 1:2 1:3 1:4 1:5 - - n=6"},
        {0, 4, true, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 - n=7"},
        {2, 2, true, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 2:2 n=8"},
        {0, 3, false, "0:2 2:3 1:2 1:3 1:4 1:5 0:4 2:2 n=8"},  // a ninth is refused
        {1, 2, true, "0:2 2:3 - 1:3 1:4 1:5 0:4 2:2 n=7"},
        {0, 3, true, "0:2 2:3 0:3 1:3 1:4 1:5 0:4 2:2 n=8"},
    };
    for (const auto& [row, column, changed, after] : clicks) {
        EXPECT_EQ(clickChannelCell(row, column), changed) << row << ":" << column;
        EXPECT_EQ(slots(), after) << row << ":" << column;
    }
    EXPECT_EQ(cellLook(0, 0), CellLook::Fixed);
    EXPECT_EQ(cellLook(0, 1), CellLook::Fixed);
    EXPECT_EQ(cellLook(2, 3), CellLook::Selected);
    EXPECT_EQ(cellLook(2, 4), CellLook::Plain);
}

TEST_F(MonitorSelection, OpeningTheWindowsMovesTheEntriesToTheFront) {
    for (auto [r, c] : {std::pair{0, 2}, {0, 3}, {1, 2}, {2, 3}, {0, 2}, {1, 2}})
        clickChannelCell(r, c);
    EXPECT_EQ(slots(), "- 0:3 - 2:3 - - - - n=2");
    EXPECT_FALSE(datawindowsOpen());
    open_datawindows();
    EXPECT_TRUE(datawindowsOpen());
    EXPECT_EQ(slots(), "0:3 2:3 - - - - - - n=2");
    EXPECT_EQ(channelWindowText(0).caption, "CH5_2: Relative Humidity (0.00 %)");
    EXPECT_EQ(channelWindowText(0).unit, "%");
    EXPECT_EQ(channelWindowText(1).caption, "CH9_2: Power (0.00 kW)");
    EXPECT_EQ(channelWindowText(2).caption, "");
    close_datawindows();
    EXPECT_FALSE(datawindowsOpen());
}

TEST_F(MonitorSelection, ChannelListShowsTheNodesAndTheirLastBattery) {
    Vbat_curr[2] = 2875;  // the monitor heard node 200
    const ChannelList l = channelList();
    const std::string temperature = "Temperature (0.00 \260C)";
    EXPECT_EQ(l.heads, (std::vector<std::string>{"Node", "Vbat (V)", "CH1", "CH2", "CH3", "CH4"}));
    EXPECT_EQ(l.widths, (std::vector<int>{50, 70, 140, 140, 140, 140}));
    ASSERT_EQ(l.rows.size(), 3u);
    EXPECT_EQ(l.rows[0], (std::vector<std::string>{"    5", "36.00", temperature,
                                                   "Relative Humidity (0.00 %)", "DC Voltage (0.0 V)"}));
    EXPECT_EQ(l.rows[1], (std::vector<std::string>{"  200", "28.75", temperature, "Energy (0.0 kWh)",
                                                   "DC Power (W)", "Active Power (W)"}));
    EXPECT_EQ(l.rows[2][0], "    9");
    EXPECT_EQ(l.rows[2][1], "33.00");
}

TEST_F(MonitorSelection, GraphBoxesExcludeEachOtherAndResetTheRange) {
    GraphBoxes b;
    Ymin_def = -5, Ymax_def = 7;
    graphBoxClicked(b, GraphBox::Graph, true);
    EXPECT_TRUE(b.graph);
    EXPECT_EQ(Ymin_def, -5.0f) << "nothing to uncheck: the range stays";
    graphBoxClicked(b, GraphBox::GraphCur, true);
    EXPECT_FALSE(b.graph);
    EXPECT_TRUE(b.graphCur);
    EXPECT_EQ(Ymin_def, -50.0f);
    EXPECT_EQ(Ymax_def, 50.0f);
    graphBoxClicked(b, GraphBox::GraphCur, false);
    EXPECT_FALSE(b.graph || b.graphCur);

    // Esc opens the graph a box asks for, only with channels selected.
    closeChannelSelection({true, false});
    EXPECT_EQ(Flag_Graph, 0);
    clickChannelCell(0, 2);
    closeChannelSelection({false, true});
    EXPECT_EQ(Flag_Graph, 1);
    Flag_Graph = 0;
    closeChannelSelection({true, false});
    EXPECT_EQ(Flag_Graph, 2);
    EXPECT_EQ(hDlgSel, nullptr);
}

TEST_F(MonitorSelection, ExportPeriodAcceptsOneTo65535) {
    const std::tuple<const char*, bool, uint16_t> cases[] = {
        {"10", true, 10},   {"0", false, 10},  {"65535", true, 65535}, {"65536", false, 65535},
        {"", false, 65535}, {"1", true, 1},    {"00042", true, 42},    {"99999999999", false, 42},
        {"12a", false, 42}, {"-5", false, 42}, {" 7", false, 42}};
    for (const auto& [typed, valid, kept] : cases) {
        EXPECT_EQ(setExportPeriod(typed), valid) << typed;
        EXPECT_EQ(Tsample_exp, kept) << typed;
        EXPECT_EQ(Flag.sample_error_exp, valid ? 0 : 1) << typed;
    }
}

TEST_F(MonitorSelection, ChannelWindowsStandDownTheLeftEdgeAndSnapToTwenty) {
    auto place = [](ScreenPoint p) { return std::pair(p.x, p.y); };
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(place(placeChannelWindow(n, n)), std::pair(0, 100 * n));
    EXPECT_EQ(place(channelWindowMoved(2, 137, 59)), std::pair(120, 40));
    EXPECT_EQ(place(placeChannelWindow(2, 0)), std::pair(120, 40)) << "a window reuses its remembered place";
    forgetChannelWindowPlaces();
    EXPECT_EQ(placeChannelWindow(2, 0).y, 0);
}

TEST_F(MonitorSelection, SampleTimerClampsAndSends) {
    const std::pair<const char*, uint16_t> clamps[] = {
        {"180", 180}, {"70000", 65535}, {"65535", 65535},         {"0", 0}, {"-5", 0}, {"abc", 0},
        {"", 0},      {"12x", 12},      {"99999999999999", 65535}};
    for (const auto& [typed, value] : clamps)
        EXPECT_EQ(clampSaTmr(typed), value) << typed;

    connectStream();
    device->replies = {{"ATST0000", "OK"}, {"ATSTFFFF", "OK"}, {"ATST00B4", "ERR"}};
    bool answered = true;
    EXPECT_FALSE(applySaTmr(nullptr, 0, &answered)) << "0: the dialog stays open";
    EXPECT_TRUE(answered);
    EXPECT_TRUE(ui.messages.empty());
    StatusReg = 0x00;
    EXPECT_TRUE(applySaTmr(nullptr, clampSaTmr("70000")));
    StatusReg = 0x10;
    EXPECT_TRUE(applySaTmr(nullptr, 180, &answered));
    EXPECT_FALSE(answered);
    EXPECT_EQ(port->writtenText(), "ATST0000\rATSTFFFF\rATST00B4\r");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(
        ui.messages[0].text,
        "1) Activate the nodes with WX2x devices to be modified \r\n2) After all nodes have been recognized "
        "invoke the test procedure\r\n3) Turn off all nodes and return to the ASSIGNMENT status");
    EXPECT_EQ(ui.messages[1].text,
              "Execute the test routine (P button) and wait for the return to ASSIGNMENT status");
    EXPECT_EQ(ui.messages[1].caption, "Info");
    EXPECT_EQ(ui.messages[1].icon, vx::ui::Icon::Information);
}

TEST_F(MonitorSelection, SessionStartTextsWhenTheDialogOpens) {
    connectStream();  // nothing answers: the session cannot be read again
    Timeout_rx_def = 50;
    ui.answer(vx::ui::Answer::No);  // "Pages reading error !\r\nTry again ?"
    std::strcpy(DataTimeSS, "240228_030405");
    SelectionView v = openChannelSelection(reinterpret_cast<vx::ui::WindowHandle>(0x1200));
    EXPECT_EQ(v.date, "28/02/24");
    EXPECT_EQ(v.time, "03:04:05");
    EXPECT_EQ(v.period, "1800");
    EXPECT_FALSE(v.exporting);
    EXPECT_FALSE(v.graphBoxesEnabled);
    EXPECT_EQ(hDlgSel, reinterpret_cast<vx::ui::WindowHandle>(0x1200));
    hDlgSel = nullptr;
}

// --- The monitor window's procedures ------------------------------------------------------

class MonitorWindow : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        loadSession({{5, {0x0001}}});
        connectStream();
        device->replies = {{"ATRB", "0000"}, {"ATCM08", "OK"}};
        ASSERT_EQ(initMonitor(reinterpret_cast<vx::ui::WindowHandle>(0x400), box), 1);
        EXPECT_EQ(ui.waitTexts, std::vector<std::string>{"Reading data from buffer..."});
    }
    std::string line(int n) const {
        return timeText(now) + ">> CH5_1= " + std::to_string(n) + ".00 Tboard= 20.0 Vbat= 29.00\r\n";
    }
};

TEST_F(MonitorWindow, TimerRunsABatchEveryEleventhTickAndWaitsForABusyLink) {
    device->at(0, "ATUC05006400C80B54\r");
    for (int t = 1; t <= 10; ++t)
        monitorTick();
    EXPECT_EQ(shown(), "") << "no batch before the 11th tick";
    monitorTick();
    EXPECT_EQ(shown(), line(1));

    device->at(0, "ATUC0500C800C80B54\r");
    {
        vx::link::LinkBusy busy;  // a procedure is using the link: the ticks do nothing
        for (int t = 0; t < 30; ++t)
            monitorTick();
    }
    for (int t = 1; t <= 10; ++t)
        monitorTick();
    EXPECT_EQ(shown(), line(1));
    monitorTick();
    EXPECT_EQ(shown(), line(1) + line(2));
}

TEST_F(MonitorWindow, DisplayChannelsNeedsRecordingOrPause) {
    const char* notRecording = "This function requires the datalogger in RECORDING mode";
    const std::pair<const char*, const char*> cases[] = {
        // reply (nullptr: none), message
        {"05", nullptr},
        {"06", nullptr},
        {"00", notRecording},
        {"ERR", notRecording},
        {nullptr, "Unable to read the current operating status of the datalogger"}};
    Timeout_rx_def = 200;
    for (const auto& [reply, message] : cases) {
        ui.messages.clear();
        if (reply)
            device->replies["ATOS"] = std::string("ATUC05006400C80B54\r") + reply;  // a packet comes first
        else
            device->replies.erase("ATOS");
        clearShown();
        EXPECT_EQ(displayChannels(nullptr), message == nullptr) << (reply ? reply : "none");
        ASSERT_EQ(ui.messages.size(), message ? 1u : 0u);
        if (message) {
            EXPECT_EQ(ui.messages[0].text, message);
            EXPECT_EQ(ui.messages[0].caption, reply ? "Warning" : "Com Error");
        }
        EXPECT_EQ(shown(), reply ? line(1) : "") << "the packet before the reply is shown";
    }
    EXPECT_EQ(Timeout_rx, 200);
}

TEST_F(MonitorWindow, CloseAsksBeforeClosingTheExport) {
    ASSERT_EQ(startExportTo((dir / "e.csv").string(), nullptr), 1);
    clickChannelCell(0, 2);
    MonitorClose how;
    how.readSession = false;
    ui.answer(vx::ui::Answer::No);
    EXPECT_FALSE(closeMonitor(how));
    EXPECT_TRUE(exportRunning());
    EXPECT_TRUE(monitorOpen());
    ui.answer(vx::ui::Answer::Yes);
    device->at(0, "ATUC05006400C80B54\r");  // still waiting when the monitor closes: shown
    EXPECT_TRUE(closeMonitor(how));
    EXPECT_EQ(ui.messages.back().text, "Data export file will be closed. Proceed ?");
    EXPECT_EQ(ui.messages.back().caption, "Warning");
    EXPECT_FALSE(exportRunning());
    EXPECT_FALSE(monitorOpen());
    EXPECT_EQ(InfoSELCH.ncsel, 0u);
    EXPECT_EQ(hDlgMls, nullptr);
    EXPECT_EQ(device->commands.back(), "ATCM08");
    EXPECT_EQ(shown(), line(1));
    EXPECT_EQ(Timeout_rx, TO_RX_SLOW);
}

TEST_F(MonitorWindow, SavedFileHasEveryLineWithItsEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {std::string(2500, 'x') + "\r\ny", std::string(2000, 'x') + "\r\ny\r\n"},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(monitorFileBytes(text), bytes);

    ui.answer(vx::ui::Answer::No);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\n"), 0);
    EXPECT_FALSE(fs::exists("QM41mon.txt"));
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\nb\r\n"), 1);
    EXPECT_EQ(readFile("QM41mon.txt"), "a\r\nb\r\n");
    EXPECT_EQ(ui.messages[0].text, "Save window data to file QM41mon.txt ?");
    EXPECT_EQ(ui.messages[0].caption, "Question");

    // A folder of that name: the file cannot be written, and the user is told.
    fs::remove("QM41mon.txt");
    fs::create_directory("QM41mon.txt");
    ui.answer(vx::ui::Answer::Yes);
    EXPECT_EQ(saveMonitorText(nullptr, "a\r\n"), 0);
    EXPECT_EQ(ui.messages.back().caption, "File Error");
    EXPECT_TRUE(ui.messages.back().text.starts_with("QM41mon.txt can not be written !"));
}

TEST(MonitorTextLimit, KeepsTheNewestWholeLinesWithinTheLimit) {
    MonitorText t(100);
    std::string all;
    for (int i = 0; i < 40; ++i) {
        std::string line = "line " + std::to_string(i) + "\r\n";
        t.append(line);
        all += line;
        std::string_view v = t.view();
        EXPECT_LE(v.size(), 100u);
        EXPECT_EQ(all.substr(all.size() - v.size()), v) << "the newest text";
        EXPECT_TRUE(v.size() == all.size() || all[all.size() - v.size() - 1] == '\n') << "from a line start";
    }
    EXPECT_EQ(t.appended(), all.size());
    // Past the limit and its slack the text held stays bounded.
    MonitorText big(1000);
    for (int i = 0; i < 100000; ++i)
        big.append("0123456789abcdef\r\n");
    EXPECT_LE(big.view().size(), 1000u);
    EXPECT_EQ(big.appended(), 1800000u);
}

// --- The simulated logger's monitor mode --------------------------------------------------

class MonitorSim : public MonitorTest {
  protected:
    vx::sim::LoggerDevice* start(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        EXPECT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        auto dev = vx::sim::makeDevice(o, err);
        vx::sim::LoggerDevice* logger = vx::sim::findLogger(*dev);
        port = std::make_unique<vx::sim::FakeSerialPort>(std::move(dev));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        EXPECT_EQ(Flag.table_error, 0);
        return logger;
    }
    // The monitor as the window runs it, for `ticks` ticks of 100 ms of virtual time.
    void monitorFor(int ticks) {
        vx::shell::runMonitor(nullptr, [&] {
            initMonitor(nullptr, box);
            for (int t = 0; t < ticks; ++t) {
                port->advanceMs(100);
                monitorTick();
            }
            MonitorClose how;
            how.readSession = false;
            closeMonitor(how);
        });
    }
};

TEST_F(MonitorSim, EveryLineSentIsReceivedAndSortedAsMade) {
    for (const char* settings :
         {"qm41,seed=3,nodes=4,mon-rate=2000",
          "qm41,seed=5,nodes=7,channels=20,mon-rate=500,mon-unknown=0.2,mon-badcount=0.2,mon-lower=0.5",
          "qm43,seed=8,nodes=2,mon-rate=50,mon-broadcast=0.3,mon-test=0.3"}) {
        SCOPED_TRACE(settings);
        vx::sim::LoggerDevice* logger = start(settings);
        monitorFor(100);
        const vx::sim::MonitorCounts& sent = logger->monitorCounts();
        const MonitorStats& got = monitorStats();
        EXPECT_GT(sent.lines, 0u);
        EXPECT_FALSE(logger->monitoring());
        EXPECT_EQ(got.lines, sent.lines);
        EXPECT_EQ(got.dropped, 0u);
        EXPECT_EQ(got.broadcasts, sent.broadcast);
        EXPECT_EQ(got.tests, sent.test);
        EXPECT_EQ(got.dataSession, sent.sessionData());
        EXPECT_EQ(got.dataRaw, sent.unknown + sent.badCount);
        // One text line per packet line, none cut or merged (the temporary buffer's records
        // come first, each beginning with its time marker).
        EXPECT_EQ(countLines(shown()).first, sent.lines);
        clearShown();
    }
}

TEST_F(MonitorSim, SpoiltLinesAreDroppedAndALostATCM08IsSentAgain) {
    vx::sim::LoggerDevice* logger =
        start("qm41,seed=3,nodes=4,mon-rate=500,garble=0.1,garble-on=ATUC,lose-nth=1,lose-on=ATCM08");
    monitorFor(100);
    const auto& faults = dynamic_cast<vx::sim::FaultyDevice&>(port->device()).stats();
    EXPECT_GT(faults.garbled, 0u);
    // None is decoded; the last may come as the answer to "ATCM08" instead.
    EXPECT_EQ(monitorStats().dataSession, logger->monitorCounts().sessionData() - faults.garbled);
    EXPECT_LE(faults.garbled - monitorStats().dropped, 1u);
    EXPECT_FALSE(logger->monitoring());
}

TEST_F(MonitorSim, StreamHoldsWhileCommandsComeAndStopsAtATCM08) {
    vx::sim::LoggerDevice* logger = start("qm41,seed=3,nodes=2,mon-rate=1000,mon-hold=250");
    ASSERT_EQ(sendCOMMAND(hCom, "ATCM07\r", 13), 1);
    EXPECT_EQ(std::string(rxText()), "OK");
    port->advanceMs(200);
    EXPECT_EQ(logger->monitorCounts().lines, 0u) << "no line within 250 ms of a command";
    ASSERT_EQ(sendCOMMAND(hCom, "ATOS\r", 13), 1);
    EXPECT_EQ(std::string(rxText()), "00") << "a reply comes alone";
    port->advanceMs(240);
    EXPECT_EQ(logger->monitorCounts().lines, 0u);
    port->advanceMs(20);
    EXPECT_GT(logger->monitorCounts().lines, 0u);
    port->advanceMs(1000);
    const uint64_t sent = logger->monitorCounts().lines;
    EXPECT_NEAR(double(sent), 1010.0, 5.0);
    ASSERT_EQ(sendCOMMAND(hCom, "ATCM08\r", 13), 1);
    port->advanceMs(5000);
    EXPECT_EQ(logger->monitorCounts().lines, sent);
}

TEST_F(MonitorSim, SampleTimerCommandChangesWhatTheSessionReports) {
    vx::sim::LoggerDevice* logger = start("qm41,seed=4,nodes=3,satmr=30,mon-rate=100,mon-broadcast=1");
    for (int k = 1; k <= TotalNodeNum; ++k)
        EXPECT_EQ(InfoFE[k].satmr, 30);
    const std::tuple<const char*, const char*, uint16_t> cases[] = {{"ATST0078\r", "OK", 120},
                                                                    {"ATSTFFFF\r", "OK", 65535},
                                                                    {"ATST0000\r", "OK", 30},
                                                                    {"ATST78\r", "ERR", 30},
                                                                    {"ATSTXYZW\r", "ERR", 30}};
    for (const auto& [command, reply, satmr] : cases) {
        ASSERT_EQ(sendCOMMAND(hCom, command, 13), 1) << command;
        EXPECT_EQ(std::string(rxText()), reply) << command;
        ASSERT_EQ(initTabAss(), 1);
        for (int k = 1; k <= TotalNodeNum; ++k)
            EXPECT_EQ(InfoFE[k].satmr, satmr) << command;
    }
    ASSERT_EQ(sendCOMMAND(hCom, "ATST0078\r", 13), 1);
    EXPECT_EQ(logger->satmrSet(), 120);
    monitorFor(30);
    EXPECT_GT(monitorStats().broadcasts, 0u);
    EXPECT_NE(shown().find("BC>> NodeAd= "), std::string::npos);
    EXPECT_EQ(shown().find("SaTmr= 30 "), std::string::npos);
    EXPECT_NE(shown().find("SaTmr= 120 "), std::string::npos);
}

}  // namespace
}  // namespace vx::test
