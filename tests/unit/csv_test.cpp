// The locale-neutral CSV of the exports: fields, numbers, names and timestamps in both
// styles, and the table's channels written out.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "postproc/table.h"
#include "postproc/table_csv.h"
#include "session/csv_format.h"

namespace {

using vx::session::CsvStyle;

// A fixed zone with summer time, written as a POSIX rule so no zone database is needed.
class CentralEuropeanTime : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        saved_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string saved_;
    bool hadTz_ = false;
};

TEST(CsvFormat, FieldsNumbersAndNamesInBothStyles) {
    struct Case {
        const char* what;
        std::string got, want;
    } cases[] = {
        {"plain field", vx::session::csvField("CH1_1", CsvStyle::Rfc4180), "CH1_1"},
        {"comma quoted", vx::session::csvField("a,b", CsvStyle::Rfc4180), "\"a,b\""},
        {"comma plain in eu", vx::session::csvField("a,b", CsvStyle::ExcelEu), "a,b"},
        {"semicolon quoted in eu", vx::session::csvField("a;b", CsvStyle::ExcelEu), "\"a;b\""},
        {"quotes doubled", vx::session::csvField("say \"hi\"", CsvStyle::Rfc4180), "\"say \"\"hi\"\"\""},
        {"line end quoted", vx::session::csvField("a\r\nb", CsvStyle::Rfc4180), "\"a\r\nb\""},
        {"number kept", vx::session::csvNumber("-12.34", CsvStyle::Rfc4180), "-12.34"},
        {"decimal comma", vx::session::csvNumber("-12.34", CsvStyle::ExcelEu), "-12,34"},
        {"integer", vx::session::csvNumber("1235", CsvStyle::ExcelEu), "1235"},
        {"empty cell", vx::session::csvNumber("", CsvStyle::ExcelEu), ""},
        {"text is not a number", vx::session::csvNumber("_Irr_low", CsvStyle::ExcelEu), "_Irr_low"},
        {"two points is text", vx::session::csvNumber("1.2.3", CsvStyle::ExcelEu), "1.2.3"},
        {"degree sign to UTF-8",
         vx::session::csvName("T (0.00 \xB0"
                              "C)",
                              CsvStyle::Rfc4180),
         "T (0.00 \xC2\xB0"
         "C)"},
        {"name with comma", vx::session::csvName("P, kW", CsvStyle::Rfc4180), "\"P, kW\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_EQ(vx::session::parseCsvStyle("excel-eu"), CsvStyle::ExcelEu);
    EXPECT_EQ(vx::session::parseCsvStyle("rfc4180"), CsvStyle::Rfc4180);
    EXPECT_FALSE(vx::session::parseCsvStyle("excel"));
}

TEST_F(CentralEuropeanTime, TimestampsCarryTheOffsetOfTheirMoment) {
    struct Case {
        const char* local;
        const char* iso;  // nullptr: refused
    } cases[] = {
        {"241207_020500", "2024-12-07T02:05:00+01:00"},
        {"240715_235959", "2024-07-15T23:59:59+02:00"},
        {"000101_000000", "2000-01-01T00:00:00+01:00"},
        {"240229_120000", "2024-02-29T12:00:00+01:00"},  // a leap day
        {"230229_120000", nullptr},                      // not a leap year
        {"240431_120000", nullptr},
        {"2407151_23595", nullptr},
        {"24071a_235959", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        auto got = vx::session::isoLocalTime(std::string_view(c.local));
        if (c.iso)
            EXPECT_EQ(got.value_or("(refused)"), c.iso) << c.local;
        else
            EXPECT_FALSE(got) << c.local << " gave " << *got;
    }
    // 2024-07-15 21:59:59 UTC is 23:59:59 of summer time.
    EXPECT_EQ(vx::session::isoLocalTime(std::time_t(1721080799)), "2024-07-15T23:59:59+02:00");
}

TEST_F(CentralEuropeanTime, TableChannelsWithoutItemAndComputedColumns) {
    vx::postproc::Table t;
    for (const char* h : {"Item", "Time",
                          "CH7_1: Air Temperature (0.00 \xB0"
                          "C)",
                          "CH7_2: Power (0.000 kW)", "Energy 24h (kWh)"})
        t.appendColumn(h);
    t.appendRows(2);
    const char* cells[2][5] = {{"    1", "241207_020500", "21.50", "1.250", "0.3"},
                               {"    2", "241207_021500", "-0.25", "", "0.6"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c)
            t.setCell(r, c, cells[r][c]);

    EXPECT_EQ(vx::postproc::tableCsvText(t, 2, CsvStyle::Rfc4180),
              "Timestamp,CH7_1: Air Temperature (0.00 \xC2\xB0"
              "C),CH7_2: Power (0.000 kW)\r\n"
              "2024-12-07T02:05:00+01:00,21.50,1.250\r\n"
              "2024-12-07T02:15:00+01:00,-0.25,\r\n");
    EXPECT_EQ(vx::postproc::tableCsvText(t, 2, CsvStyle::ExcelEu),
              "\xEF\xBB\xBFTimestamp;CH7_1: Air Temperature (0.00 \xC2\xB0"
              "C);CH7_2: Power (0.000 kW)\r\n"
              "2024-12-07T02:05:00+01:00;21,50;1,250\r\n"
              "2024-12-07T02:15:00+01:00;-0,25;\r\n");
}

}  // namespace
