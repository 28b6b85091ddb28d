#pragma once
// What the post-processing tests share: the program's state at its defaults, the scripted
// backend, a scratch folder as the working directory, and tables built from rows of texts.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "postproc/table.h"
#include "postproc/table_access.h"
#include "session/session_state.h"
#include "support/fixtures.h"

namespace vx::test {

class PostprocTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxppXXXXXX";
        dir = mkdtemp(tmpl);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        std::memset(SelCol, 0, sizeof SelCol);
        item_sel_en = 0;
        table.clear();
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
        ProgramTest::TearDown();
    }

    // Columns "Item", "Time" and the data headers; one row per entry of `rows` (the data
    // cells), with item numbers and times one hour apart from 240105_143000.
    void build(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows) {
        table.clear();
        table.appendColumn("Item");
        table.appendColumn("Time");
        for (const auto& h : headers)
            table.appendColumn(h);
        table.appendRows(int(rows.size()));
        for (size_t r = 0; r < rows.size(); ++r) {
            char item[16], time[16];
            std::snprintf(item, sizeof item, "%5u", unsigned(r + 1));
            std::snprintf(time, sizeof time, "240105_%02u3000", unsigned(14 + r) % 24);
            table.setCell(int(r), 0, item);
            table.setCell(int(r), 1, time);
            for (size_t c = 0; c < rows[r].size(); ++c)
                table.setCell(int(r), int(c) + 2, rows[r][c]);
        }
        InfoSES.nItem = uint32_t(rows.size());
        InfoSES.nSubItem = uint32_t(headers.size());
        table.clearUndo();
    }
    // Headers and cells as one text ("h1|h2\nc|c\n..."), to compare whole tables.
    std::string dump() const {
        std::string s;
        for (int c = 0; c < table.columns(); ++c)
            s += std::string(table.header(c)) + "|";
        s += "\n";
        for (int r = 0; r < table.rows(); ++r) {
            for (int c = 0; c < table.columns(); ++c)
                s += std::string(table.cell(r, c)) + "|";
            s += "\n";
        }
        return s;
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> v;
        for (int r = 0; r < table.rows(); ++r)
            v.emplace_back(table.cell(r, c));
        return v;
    }
    void select(std::initializer_list<int> columns) {
        std::memset(SelCol, 0, sizeof SelCol);
        for (int c : columns)
            SelCol[c] = 1, ++SelCol[0];
    }
    static void writeFile(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string readFile(const std::string& name) {
        std::ifstream f(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    vx::postproc::Table table;
    TableHandle t = &table;
    std::filesystem::path dir, old;
};

}  // namespace vx::test
