// The post-processing files: a data record file loaded into the table (with the efficiency
// and daily energy of a plant), a saved table prepared for loading, and the two output
// formats written byte for byte and read back.

#include <gtest/gtest.h>

#include "postproc/column_ops.h"
#include "postproc/set_file_rules.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "postproc_fixture.h"
#include "state/exe_dir.h"
#include "state/flags.h"

namespace vx::test {
namespace {

using namespace vx::postproc;

class PostprocFile : public PostprocTest {
  protected:
    // A board session whose only node has a power (kW), an irradiance and an energy channel.
    void plantSession(uint32_t nominal) {
        static const uint8_t conf[] = {17, 0, 15, 0, 16, 0};
        Flag.VT71 = 1;
        TotalNodeNum = 1;
        InfoFE[1].nodead = 5;
        InfoFE[1].chanu = 3;
        InfoFE[1].chanu_logic = 3;
        InfoFE[1].conf = conf;
        for (int j = 0; j < 3; ++j)
            InfoFE[1].ch_fisico[j] = uint8_t(j);
        Pnom = nominal;
    }
    int32_t load(const std::string& bytes, uint32_t rows, const char* start = "240105_143000") {
        writeFile("data", bytes);
        std::snprintf(DataTimeSS, sizeof DataTimeSS, "%s", start);
        InfoSES.nItem = rows;
        return loadLV(t, "data");
    }
};

TEST_F(PostprocFile, QuotedNamesAndBlankSeparatedValues) {
    Tsample = 900;  // the time line of the file itself is not read here
    ASSERT_EQ(load("Time[s]: 900\r\n\"A\" junk \"B\"  \r\n1  2 \r\n  3 4\r\n", 3), 1);
    EXPECT_EQ(dump(),
              "Item|Time|A|B|\n"
              "    1|240105_143000|1|2|\n"
              "    2|240105_144500|3|4|\n"
              "    3|240105_150000|||\n");
    EXPECT_EQ(Flag.CH_etaG + Flag.CH_eneD, 0);
}

TEST_F(PostprocFile, LoadFailures) {
    EXPECT_EQ(load("", 1), 0);
    EXPECT_EQ(loadLV(t, "missing"), 0);
    EXPECT_EQ(load("x\r\n\"" + std::string(301, 'n') + "\"\r\n", 1), 0);
    EXPECT_EQ(load("x\r\n\"" + std::string(300, 'n') + "\"\r\n", 1), 1);
    EXPECT_EQ(load("x\r\n\"A\"\r\n1\r\n" + std::string(301, '9') + "\r\n3\r\n", 3), 0);
    EXPECT_EQ(column(2), (std::vector<std::string>{"1", ""})) << "the rows read so far stay";
}

TEST_F(PostprocFile, DailyEnergyRestartsAtMidnight) {
    plantSession(1000);
    Tsample = 3600;
    const std::string row = "4 400 1 \r\n";
    ASSERT_EQ(load("Time[s]: 3600\r\n\"P\" \"G\" \"E\" \r\n" + row + row + row + row, 4, "240105_220000"), 1);
    EXPECT_EQ(Flag.CH_etaG, 1);
    EXPECT_EQ(Flag.CH_eneD, 1);
    EXPECT_EQ(table.header(5), "Efficiency (%)");
    EXPECT_EQ(table.header(6), "Energy 24h (kWh)");
    EXPECT_EQ(column(1),
              (std::vector<std::string>{"240105_220000", "240105_230000", "240106_000000", "240106_010000"}));
    EXPECT_EQ(column(6), (std::vector<std::string>{"0.0", "1.0", "0.0", "1.0"}));
    EXPECT_EQ(column(5), (std::vector<std::string>{"1000.0", "1000.0", "1000.0", "1000.0"}));
}

TEST_F(PostprocFile, EfficiencyCells) {
    struct Case {
        const char* row;
        uint32_t nominal;
        const char* cell;
    };
    const Case cases[] = {
        {"0.3 299.9 0", 1000, "_Irr_low"}, {"0.3 300 0", 1000, "100.0"}, {"0.3 300 0", 299, "_Pnom_low"},
        {"0.5 1000 0", 250, "_Pnom_low"},  {"0.45 600 0", 1500, "50.0"},
    };
    for (const Case& c : cases) {
        plantSession(c.nominal);
        ASSERT_EQ(load(std::string("Time[s]: 900\r\n\"P\" \"G\" \"E\" \r\n") + c.row + "\r\n", 1), 1);
        EXPECT_EQ(table.cell(0, 5), c.cell) << c.row << " Pnom " << c.nominal;
    }
}

TEST_F(PostprocFile, EnergyUsesTheFirstPowerAndTheLastIrradiance) {
    static const uint8_t conf[] = {15, 0, 17, 0, 17, 0, 15, 0};
    plantSession(1000);
    InfoFE[1].chanu = InfoFE[1].chanu_logic = 4;
    InfoFE[1].conf = conf;
    InfoFE[1].ch_fisico[3] = 3;
    ASSERT_EQ(load("Time[s]: 900\r\n\"G1\" \"P1\" \"P2\" \"G2\" \r\n100 0.6 9 600\r\n", 1), 1);
    EXPECT_EQ(Flag.CH_eneD, 0);
    EXPECT_EQ(table.columns(), 7);
    EXPECT_EQ(table.cell(0, 6), "100.0");
}

TEST_F(PostprocFile, PreparingASavedTable) {
    struct Case {
        std::string bytes;
        int32_t result;
        uint16_t tsample;
        uint32_t items, columns;
    };
    const std::string body = "\"A\" \"B\" \r\n1 2 \r\n3 4 \r\n";
    const Case cases[] = {
        {"Start: 240105_143000\r\nTime[s]: 900\r\n" + body, 1, 900, 2, 2},
        {"Start: 240105_143000\r\nTime[s]: 0\r\n" + body, 1, 77, 2, 2},
        {"Start: 240105_143000\r\nTime[s]: 1234567\r\n" + body, 1, 77, 2, 2},
        {"Start: 240105_143000\r\nTime[s]: 99999\r\n" + body, 1, 77, 2, 2},
        {"Start: 240105_143000\r\n" + body, 1, 77, 2, 2},
        {"Start: 240105_143000\r\nTime[s]: 5\r\n\"A\" \"B\"", 0, 5, 0, 0},
        {"Start: 2401051_43000\r\nTime[s]: 900\r\n" + body, 0, 77, 0, 0},
        {"Begin: 240105_143000\r\nTime[s]: 900\r\n" + body, 0, 77, 0, 0},
    };
    for (const Case& c : cases) {
        Tsample = 77;
        InfoSES = {};
        FirstTimeMarkerDload = 1234;
        writeFile("saved.txt", c.bytes);
        std::snprintf(Data_file, sizeof Data_file, "saved.txt");
        EXPECT_EQ(loadFileTxt(), c.result) << c.bytes;
        EXPECT_EQ(Data_file[0], 0);
        EXPECT_EQ(Tsample, c.tsample) << c.bytes;
        EXPECT_EQ(InfoSES.nItem, c.items) << c.bytes;
        EXPECT_EQ(InfoSES.nSubItem, c.columns) << c.bytes;
        if (c.result == 1) {
            EXPECT_STREQ(DataTimeSS, "240105_143000");
            EXPECT_EQ(FirstTimeMarkerDload, 0u);
            EXPECT_EQ(readFile("240105_143000"), c.bytes.substr(22));
        }
    }
}

TEST_F(PostprocFile, PreparingAskesForTheFileWithoutADataFile) {
    writeFile("chosen.txt", "Start: 231231_235959\r\n\"A\" \r\n5 \r\n");
    ui.chooseFile("chosen.txt");
    EXPECT_EQ(loadFileTxt(), 1);
    EXPECT_STREQ(DataTimeSS, "231231_235959");
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(loadFileTxt(), 0);
}

class PostprocSave : public PostprocTest {
  protected:
    void SetUp() override {
        PostprocTest::SetUp();
        build({"P", "G"}, {{"12.5", "_Irr_low"}, {"3", "_Pnom_low"}, {"0.25", "7"}});
        Tsample = 900;
    }
};

TEST_F(PostprocSave, FormatsByteForByte) {
    struct Case {
        int32_t format, comma;
        uint32_t rows;
        std::string bytes;
    };
    const Case cases[] = {
        {FORMAT_A, 0, 3,
         "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12.5 100 \r\n3 0 \r\n0.25 7 \r\n"},
        {FORMAT_A, 1, 2, "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12,5 100 \r\n3 0 \r\n"},
        {FORMAT_B, 0, 2,
         "\"DATE:\";\"TIME:\";\"P\";\"G\"\r\n\"05.01.24\";\"14:30:00\";12.5;100\r\n"
         "\"05.01.24\";\"15:30:00\";3;0\r\n"},
        {FORMAT_B, 1, 3,
         "\"DATE:\";\"TIME:\";\"P\";\"G\"\r\n\"05.01.24\";\"14:30:00\";12,5;100\r\n"
         "\"05.01.24\";\"15:30:00\";3;0\r\n\"05.01.24\";\"16:30:00\";0,25;7\r\n"},
    };
    for (const Case& c : cases) {
        INFOST info{c.rows, 2, 0, 0};
        EXPECT_EQ(tableFileText(t, info, c.format, c.comma), c.bytes);
    }
}

TEST_F(PostprocSave, AHeaderRepeatedEndsTheSavedColumns) {
    table.setHeader(3, "P");
    EXPECT_EQ(savedColumnCount(t), 3);
    INFOST info{1, 2, 0, 0};
    EXPECT_EQ(tableFileText(t, info, FORMAT_A, 0),
              "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \r\n12.5 \r\n");
    EXPECT_EQ(tableFileText(t, info, FORMAT_B, 0),
              "\"DATE:\";\"TIME:\";\"P\"\r\n\"05.01.24\";\"14:30:00\";12.5\r\n");

    // The save says so first: No writes nothing, Yes the file as above.
    const std::string dropped = droppedColumnsText(t);
    EXPECT_EQ(
        dropped,
        "Column \"P\" repeats the header of the column before it: the saved file ends before it, without its "
        "last 1 column.");
    ui.answer(vx::ui::Answer::No);
    EXPECT_EQ(saveFile2(t, "x", info), 0);
    ui.answer(vx::ui::Answer::Yes);
    ui.chooseFile((dir / "cut.txt").string());
    EXPECT_EQ(saveFile2(t, "x", info), 1);
    EXPECT_EQ(readFile("cut.txt"), "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \r\n12.5 \r\n");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, dropped + "\r\nSave anyway ?");
    EXPECT_EQ(ui.messages[0].caption, "Warning");
}

TEST_F(PostprocSave, SaveWritesTheChosenFileAndDropsTheUndoSteps) {
    editCell(t, 0, 2, "12.50");
    Flag.file_format = FORMAT_B;
    std::snprintf(DataTimeSS, sizeof DataTimeSS, "240105_143000");
    ui.chooseFile((dir / "out.txt").string());
    EXPECT_TRUE(saveClicked(t, true));
    EXPECT_EQ(Flag.file_format, FORMAT_A);
    EXPECT_EQ(readFile("out.txt"),
              "Start: 240105_143000\r\nTime[s]: 900\r\n\"P\" \"G\" \r\n12.50 100 \r\n3 0 \r\n0.25 7 \r\n");
    EXPECT_EQ(std::string(Data_file), (dir / "out.txt").string());
    EXPECT_EQ(std::string(Data_dir), dir.string());
    EXPECT_FALSE(table.canUndo());

    Flag.COM_ext = 1;
    ui.chooseFile((dir / "out2.txt").string());
    EXPECT_FALSE(saveClicked(t, false)) << "no launcher for a port of the command line";
    EXPECT_TRUE(std::filesystem::exists("out2.txt"));
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(saveFile2(t, DataTimeSS, InfoSES), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PostprocSave, AFileThatCannotBeWrittenIsReported) {
    writeFile("out.txt", "older");
    editCell(t, 0, 2, "1");
    ui.chooseFile("missing-folder/out.txt");
    EXPECT_EQ(saveFile2(t, "x", InfoSES), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_NE(ui.messages[0].text.find("missing-folder/out.txt can not be written !"), std::string::npos);
    EXPECT_EQ(Data_file[0], 0);
    EXPECT_TRUE(table.canUndo()) << "nothing was saved";
}

TEST_F(PostprocSave, FormatAOpensAgainAsTheSameTable) {
    build({"P",
           "Temp (0.0 \xB0"
           "C)"},
          {{"1.25", "-3.5"}, {"2", "4.0"}, {"0.125", "18.5"}});
    const std::vector<std::string> p = column(2), temp = column(3), times = column(1);
    ui.chooseFile((dir / "round.txt").string());
    ASSERT_EQ(saveFile2(t, "x", InfoSES), 1);
    Tsample = 1;
    ASSERT_EQ(loadFileTxt(), 1);  // the file just saved
    EXPECT_EQ(Tsample, 900);
    EXPECT_EQ(InfoSES.nItem, 3u);
    EXPECT_EQ(InfoSES.nSubItem, 2u);
    ASSERT_EQ(loadLV(t, DataTimeSS), 1);
    EXPECT_EQ(column(2), p);
    EXPECT_EQ(column(3), temp);
    EXPECT_EQ(column(1), std::vector<std::string>({"240105_143000", "240105_144500", "240105_150000"}));
    EXPECT_EQ(table.header(3),
              "Temp (0.0 \xB0"
              "C)");
}

TEST_F(PostprocFile, ColumnWidthFollowsTheScreen) {
    struct Case {
        int32_t screen, columns, width;
    };
    const Case cases[] = {{1920, 10, 163}, {1920, 5, 200}, {1024, 20, 70}, {1920, 0, 70}, {1365, 8, 135}};
    for (const Case& c : cases)
        EXPECT_EQ(dataColumnWidth(c.screen, c.columns), c.width) << c.screen << " " << c.columns;
}

}  // namespace
}  // namespace vx::test
