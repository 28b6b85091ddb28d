// The data export file: its header and rows, the average per period, the decimal comma,
// the row timing on the PC clock (catch-up rows after a late tick), a session read again
// while exporting, and files that cannot be created or written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "monitor_fixture.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using namespace vx::monitor;
namespace fs = std::filesystem;

class MonitorExport : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        char tmpl[] = "/tmp/vxexpXXXXXX";
        dir = mkdtemp(tmpl);
        path = (dir / "data.csv").string();
        // 2, 3 and 1 logical channels: a temperature and a DC power; a DC voltage, an
        // active power and a 32-bit energy; a DC current in hundredths.
        loadSession({{10, {0x0001, 0x000B}}, {20, {0x0007, 0x000C, 0x0000, 0x0010}}, {30, {0x0013}}});
    }
    void TearDown() override {
        MonitorTest::TearDown();
        fs::remove_all(dir);
    }
    void feed(const std::string& line) {
        handlePacketLine(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    }
    std::string file() const {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    static std::string stamp(std::time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char b[64];
        std::snprintf(b, sizeof b, "%02d%02d%02d_%02d%02d%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday,
                      tm.tm_hour, tm.tm_min, tm.tm_sec);
        return b;
    }
    fs::path dir;
    std::string path;
};

const char* kHeader =
    "\"Timestamp\";\"CH10_1: Temperature (0.00 \xB0"
    "C)\";\"CH10_2: DC Power (W)\";\"CH20_1: DC Voltage (0.0 V)\";\"CH20_2: Active Power (W)\";"
    "\"CH20_3: Energy (0.0 kWh)\";\"CH30_1: DC Current (0.00 A)\"\r\n";

TEST_F(MonitorExport, RowsAverageEachPeriodInTheirColumns) {
    Tsample_exp = 5;
    ASSERT_EQ(startExportTo(path, nullptr), 1);
    EXPECT_EQ(file(), kHeader) << "the header is on the disk at once";

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

    EXPECT_EQ(file(), std::string(kHeader) + stamp(kNow + 6) + ";12.34;1235;0;0;0;0\r\n" + stamp(kNow + 11) +
                          ";0,00;0;230,5;244;6553,6;0\r\n");
    EXPECT_EQ(exportRows(), 2u);
}

TEST_F(MonitorExport, RowTimingCatchesUpAfterALateTick) {
    Tsample_exp = 10;
    std::vector<std::string> elapsed;
    MonitorHooks hooks;
    hooks.exportElapsed = [&](const char* t) { elapsed.push_back(t); };
    setMonitorHooks(hooks);
    hDlgSel = reinterpret_cast<vx::ui::WindowHandle>(0x1200);
    ASSERT_EQ(startExportTo(path, nullptr), 1);
    const struct {
        int at;  // seconds after the start
        bool row;
    } ticks[] = {{1, false}, {10, false}, {11, true},  {11, false}, {20, false}, {21, true},
                 {45, true}, {45, true},  {45, false}, {50, false}, {51, true},  {90061, true}};
    std::string expected = kHeader;
    for (const auto& t : ticks) {
        now = kNow + t.at;
        EXPECT_EQ(exportTick(), t.row) << "tick at T+" << t.at;
        if (t.row) expected += stamp(now) + ";0;0;0;0;0;0\r\n";
    }
    EXPECT_EQ(file(), expected);
    EXPECT_EQ(elapsed, (std::vector<std::string>{"0 00:00:11", "0 00:00:21", "0 00:00:45", "0 00:00:45",
                                                 "0 00:00:51", "1 01:01:01"}));
    hDlgSel = nullptr;
}

TEST_F(MonitorExport, SessionReadAgainKeepsTheColumns) {
    Tsample_exp = 1;
    ASSERT_EQ(startExportTo(path, nullptr), 1);
    // The table read again has other nodes: their packets cannot go in the file's columns.
    loadSession({{10, {0x0001}}, {40, {0x0001}}});
    feed("ATUC0A04D200C80B54");
    feed("ATUC2804D200C80B54");
    now = kNow + 2;
    ASSERT_TRUE(exportTick());
    const std::string f = file();
    const std::string row = f.substr(std::string(kHeader).size());
    EXPECT_EQ(row, stamp(now) + ";0;0;0;0;0;0\r\n");
}

TEST_F(MonitorExport, DecimalCommaOnlyInTheFirstTenCharacters) {
    const struct {
        const char* in;
        int comma;
        const char* out;
    } cases[] = {{"12.34", 1, "12,34"},
                 {"12.34", 0, "12.34"},
                 {"-0.5", 1, "-0,5"},
                 {"1235", 1, "1235"},
                 {"123456789.5", 1, "123456789,5"},
                 {"1234567890.5", 1, "1234567890.5"},
                 {"1.2.3", 1, "1,2.3"},
                 {"", 1, ""}};
    for (const auto& c : cases) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s", c.in);
        virgAdj(buf, c.comma);
        EXPECT_STREQ(buf, c.out) << c.in;
    }
}

TEST_F(MonitorExport, FileThatCannotBeCreatedIsReportedAndTheMonitorGoesOn) {
    const std::string missing = (dir / "no" / "such" / "data.csv").string();
    EXPECT_EQ(startExportTo(missing, nullptr), 0);
    EXPECT_FALSE(exportRunning());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_EQ(ui.messages[0].text.rfind("Data export file " + missing + " can not be created !\r\n\r\n(", 0),
              0u)
        << ui.messages[0].text;
    feed("ATUC0A04D204D200C80B54");
    now = kNow + 3600;
    EXPECT_FALSE(exportTick());
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(MonitorExport, FullDiskEndsTheExportWithOneMessage) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    int stopped = 0;
    MonitorHooks hooks;
    hooks.exportStopped = [&] { ++stopped; };
    setMonitorHooks(hooks);
    Tsample_exp = 1;
    EXPECT_EQ(startExportTo("/dev/full", nullptr), 0);
    EXPECT_FALSE(exportRunning());
    for (int s = 2; s < 10; ++s) {
        now = kNow + s;
        EXPECT_FALSE(exportTick());
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Data export file /dev/full can not be written !\r\n\r\nThe export "
                                        "stopped after its last complete row (0 rows).",
                                        0),
              0u)
        << ui.messages[0].text;
    EXPECT_EQ(stopped, 1);
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

}  // namespace
}  // namespace vx::test
