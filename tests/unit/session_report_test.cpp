#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/com.h"
#include "session/memory_model.h"
#include "session/session_report.h"
#include "session/verbose_dump.h"
#include "state/flags.h"
#include "support/fixtures.h"

using namespace vx::session;

namespace {

// Table of session 240228_030405: node 7 (codes 1, 0, 11) and node 200 (code 6).
const std::vector<uint8_t> kTable = {0xFF, 3,    36,   0,    0,    0, 0,    0, 0x05, 0x04,
                                     0x03, 0x28, 0x02, 0x24, 0,    0, 7,    3, 30,   0,
                                     0x01, 0x00, 0x00, 0,    0x0B, 0, 0x6D, 1,   // vbat 365
                                     200,  1,    0x58, 2,    0x06, 0, 0xF4, 1};  // satmr 600, vbat 500

class SessionReport : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        std::memcpy(TabAss, kTable.data(), kTable.size());
        ASSERT_EQ(decodeTabAss(), TableStatus::Ok);
        setCommPort("COM3");
        std::strcpy(FW_release, "2.05");
        std::strcpy(PageTab, "0010");
        std::strcpy(PageFirst, "0011");
        std::strcpy(PageLast, "0015");
        TotalPagNum = 5;
        TotalPagNumDload = 4;
        StatusReg = 0x18;
        ErrorsReg = 0x0A;
        std::strcpy(DataTimePC, "240301_101112");
        std::strcpy(DataTimeDL, "240301_101015");
        std::strcpy(DataTimeSS, "240228_030405");
        std::strcpy(DurataSessione, "000002_070605");
    }
};

const char* const kTail =
    "PC Clock................. 240301_101112\r\n"
    "Datalogger Clock......... 240301_101015\r\n"
    "Start session............ 240228_030405\r\n"
    "Length session........... 000002_070605\r\n\r\n"
    "- Node 7 (SaTmr= 30 s, Vbat= 3.65 V)\r\n"
    "  - Ch 1 (Temperature (0.00 \xB0"
    "C))\r\n"
    "  - Ch 2 (DC Power (W))\r\n"
    "\r\n"
    "- Node 200 (SaTmr= 600 s, Vbat= 5.00 V)\r\n"
    "  - Ch 1 (Air Pressure (0.00 hPa) )\r\n"
    "\r\n";

TEST_F(SessionReport, ReportByDeviceKindAndVerbosity) {
    const struct {
        int vt71, nod85, verb;
        const char* head;
    } cases[] = {
        {0, 0, 0, "QM4X Firmware Version.... 2.05\r\n\r\n"},
        {1, 1, 0, "VT Firmware Version...... 2.05\r\n\r\n"},
        {0, 1, 0, "NOD85 Firmware Version... 2.05\r\n\r\n"},
        {0, 0, 1,
         "QM4X Firmware Version.... 2.05\r\n\r\n"
         "Table page........ 0x0010\r\n"
         "First page........ 0x0011\r\n"
         "Last page......... 0x0015\r\n"
         "Total data pages.. 5\r\n"
         "Status Register... 0x18\r\n"
         "Errors Register... 0x0A\r\n\r\n"},
    };
    void* box = &ui;
    for (const auto& c : cases) {
        Flag.VT71 = c.vt71;
        Flag.NOD85 = c.nod85;
        ui.texts[box] = "left over";
        printInfoSes(box, c.verb);
        EXPECT_EQ(ui.texts[box], std::string("Communication Port....... COM3\r\n") + c.head + kTail);
    }
}

std::string fileText(FILE* f) {
    std::string text(size_t(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), f), text.size());
    return text;
}

TEST_F(SessionReport, VerboseDump) {
    const uint8_t records[] = {7, 0x10, 0,    0, 0,    0x34, 0x12, 0x01, 0x00, 0x00, 0x80, 200,  0x20, 0,   0,
                               0, 0xFF, 0xFF, 7, 0x30, 0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    ScratchReader reader(records, sizeof records);

    FILE* f = std::tmpfile();
    dumpFirstHeading(f);
    uint8_t chunk[CHUNK_SIZE] = {};
    std::memcpy(chunk, kTable.data(), 16);
    dumpTableIndexLine(f, 0x0010, chunk);
    chunk[2] = 0x11, chunk[3] = 0x02;  // length 529: no table
    dumpTableIndexLine(f, 0x0011, chunk);
    chunk[0] = 7;
    dumpTableIndexLine(f, 0x0012, chunk);
    chunk[0] = 0xFF, chunk[1] = 200, chunk[2] = 0x10, chunk[13] = 0x99;
    dumpTableIndexLine(f, 0x0FFF, chunk);
    dumpSessionInfo(f, 0x0012);
    dumpRecords(f, reader);

    EXPECT_EQ(fileText(f),
              "Tabelle di assegnazione valide rilevate ***************************************\r\n\r\n"
              "Page...0x0010 240228_030405 3\r\n"
              "Page...0x0FFF 990228_030405 200\r\n"
              "\r\n"
              "Informazioni sull'ultima sessione di misura ***********************************\r\n\r\n"
              "FW release...............2.05\r\n"
              "Table page...............0x0010\r\n"
              "First page...............0x0012\r\n"
              "Last page................0x0015\r\n"
              "Total data pages.........4\r\n"
              "Status Register..........0x18\r\n"
              "Errors Register..........0x0A\r\n\r\n"
              "Dati relativi all'ultima sessione di misura ***********************************\r\n\r\n"
              "TM[s/10] CH7_1(Temperature (0.00 \xB0"
              "C)) CH7_2(DC Power (W)) \r\n"
              "TM[s/10] CH200_1(Air Pressure (0.00 hPa) ) \r\n"
              "16 4660 98304 \r\n"
              "32 -1 \r\n"
              "48 -1 -1 \r\n");
    std::fclose(f);
}

}  // namespace
