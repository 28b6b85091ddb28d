// The Windows metafile of the plotting layer: its structure checked record by record, and
// a reader (wmf2svg of libwmf) that renders it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "graphs/plot_interface.h"
#include "plot/plot_testing.h"

namespace {

namespace fs = std::filesystem;

uint16_t word(const std::string& s, size_t at) {
    return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8);
}
uint32_t dword(const std::string& s, size_t at) {
    return word(s, at) | uint32_t(word(s, at + 2)) << 16;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class WmfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vx::plot::testing::resetPlotting();
        dir_ = fs::temp_directory_path() / ("plot_wmf_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        vx::plot::testing::resetPlotting();
        fs::remove_all(dir_);
    }
    // A graph with every kind of primitive, written as the column graph writes its file.
    std::string drawGraph() {
        const std::string file = (dir_ / "graph.wmf").string();
        metafl("WMF");
        setfil(file.c_str());
        filmod("DELETE");
        disini();
        pagera();
        pagfll(intrgb(1, 1, 0.6f));
        winfnt("Arial Bold");
        axspos(300, 1900);
        axslen(2500, 1650);
        name("Item", "x");
        axsbgd(intrgb(1, 1, 1));
        graf(1, 10, 1, 1, 0, 30, 0, 5);
        color("red");
        const float x[] = {1, 4, 7, 10}, y[] = {3, 25, 12, 40};
        thkcrv(3);
        curve(x, y, 4);
        height(36);
        messag("CH1", 100, 50);
        messag(
            "25 \xB0"
            "C",
            100, 100);
        disfin();
        return file;
    }
    fs::path dir_;
};

TEST_F(WmfTest, PlaceableMetafileWhoseRecordsAddUp) {
    const std::string f = readFile(drawGraph());
    ASSERT_GT(f.size(), 40u);
    EXPECT_EQ(dword(f, 0), 0x9AC6CDD7u);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= word(f, i);
    EXPECT_EQ(word(f, 20), sum) << "checksum of the placeable header";
    EXPECT_EQ(word(f, 10), 2970);
    EXPECT_EQ(word(f, 12), 2100);
    EXPECT_EQ(word(f, 14), 254);
    EXPECT_EQ(word(f, 22 + 2), 9);
    EXPECT_EQ(dword(f, 22 + 6) * 2, f.size() - 22) << "size in words";

    std::map<uint16_t, int> seen;
    std::set<int> objects;
    uint32_t largest = 0;
    std::vector<std::string> texts;
    size_t at = 40;
    uint16_t last = 0xFFFF;
    while (at + 6 <= f.size()) {
        const uint32_t words = dword(f, at);
        const uint16_t fn = word(f, at + 4);
        ASSERT_GE(words, 3u);
        ASSERT_LE(at + words * 2, f.size());
        largest = std::max(largest, words);
        ++seen[fn];
        if (fn == 0x02FA || fn == 0x02FB || fn == 0x02FC) {  // created objects take the lowest free slot
            int slot = 0;
            while (objects.count(slot))
                ++slot;
            objects.insert(slot);
            EXPECT_LT(slot, word(f, 22 + 10)) << "within the object table";
        }
        if (fn == 0x012D) {
            EXPECT_TRUE(objects.count(word(f, at + 6))) << "selects an object that exists";
        }
        if (fn == 0x01F0) {
            EXPECT_EQ(objects.erase(word(f, at + 6)), 1u) << "deletes an object that exists";
        }
        if (fn == 0x0521) texts.push_back(f.substr(at + 8, word(f, at + 6)));
        last = fn;
        at += words * 2;
    }
    EXPECT_EQ(at, f.size()) << "record sizes add up to the file";
    EXPECT_EQ(last, 0x0000) << "ends with META_EOF";
    EXPECT_EQ(dword(f, 22 + 12), largest) << "largest record";
    EXPECT_TRUE(objects.empty()) << "every object deleted";
    for (uint16_t fn : {0x02FA, 0x02FC, 0x012D, 0x01F0, 0x0325, 0x041B, 0x02FB, 0x0521, 0x0209, 0x0102})
        EXPECT_TRUE(seen.count(fn)) << std::hex << fn;
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "25 \xB0"
                        "C"),
              texts.end())
        << "Windows-1252 bytes as they are";
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Item"), texts.end());
}

TEST_F(WmfTest, RendersInAMetafileReader) {
    const std::string wmf = drawGraph();
    const fs::path svg = dir_ / "graph.svg";
    const std::string cmd = "wmf2svg -o '" + svg.string() + "' '" + wmf + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "wmf2svg (libwmf-bin, installed by tools/bootstrap) failed";
    const std::string out = readFile(svg);
    for (const char* text : {"CH1", "Item", "30"})
        EXPECT_NE(out.find(text), std::string::npos) << text;
    EXPECT_NE(out.find("<svg"), std::string::npos);
}

}  // namespace
