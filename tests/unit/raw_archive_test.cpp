// The checksum behind the raw archive's manifest, and the archive refused when a piece is
// missing, altered or not listed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/sha256.h"
#include "session/raw_archive.h"

namespace {

namespace fs = std::filesystem;
using vx::session::RawArchive;

TEST(Sha256, StandardTestVectors) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrst"
         "nopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vx::platform::sha256Hex(c.text.data(), c.text.size()), c.digest) << c.text.size();
        // Fed in uneven pieces, across block boundaries.
        vx::platform::Sha256 h;
        for (size_t at = 0, step = 1; at < c.text.size(); at += step, step = step * 3 % 97 + 1)
            h.update(c.text.data() + at, std::min(step, c.text.size() - at));
        auto whole = h.finish();
        std::string hex;
        for (uint8_t b : whole) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", b);
            hex += two;
        }
        EXPECT_EQ(hex, c.digest) << "in pieces, " << c.text.size();
    }
}

class RawArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxrawXXXXXX";
        dir = fs::path(mkdtemp(tmpl)) / "archive";
        archive.status = 0x18;
        archive.tablePage = 0x0ABC;
        archive.firstPage = 0x0ABD;
        archive.lastPage = 0x0ABE;
        archive.totalPages = 2;
        archive.pagesRead = 2;
        archive.firstMarker = 17;
        archive.lastMarker = 4000000000u;
        archive.sampleTime = 60;
        archive.pcClock = "240603_120000";
        archive.loggerClock = "240603_115959";
        archive.sessionStart = "240517_083000";
        archive.table.assign(528, 0xFF);
        uint8_t page[528];
        for (int p = 0; p < 3; ++p) {
            std::fill(page, page + 528, uint8_t(p + 1));
            archive.addPage(uint16_t(0x0ABD + p % 2), page);
        }
        archive.tmpBuffer = {1, 2, 3};
        ASSERT_EQ(vx::session::writeArchive(dir.string(), archive), "");
    }
    void TearDown() override { fs::remove_all(dir.parent_path()); }
    std::string load() {
        RawArchive back;
        return vx::session::loadArchive(dir.string(), back);
    }
    fs::path dir;
    RawArchive archive;
};

TEST_F(RawArchiveTest, ReadsBackWhatWasWritten) {
    RawArchive back;
    ASSERT_EQ(vx::session::loadArchive(dir.string(), back), "");
    EXPECT_EQ(back.tablePage, archive.tablePage);
    EXPECT_EQ(back.lastMarker, archive.lastMarker);
    EXPECT_EQ(back.status, archive.status);
    EXPECT_EQ(back.sessionStart, archive.sessionStart);
    EXPECT_EQ(back.loggerClock, archive.loggerClock);
    EXPECT_EQ(back.pages, archive.pages);
    EXPECT_EQ(back.tmpBuffer, archive.tmpBuffer);
    // The newest entry of a page read twice wins.
    ASSERT_NE(back.latest(0x0ABD), nullptr);
    EXPECT_EQ(back.latest(0x0ABD)[0], 3);
    EXPECT_EQ(back.latest(0x0ABE)[0], 2);
    EXPECT_EQ(back.latest(0x0ABF), nullptr);
}

TEST_F(RawArchiveTest, RefusesAnArchiveThatDoesNotMatchItsManifest) {
    auto rewrite = [this](const char* name, const std::function<void(std::string&)>& edit) {
        std::ifstream in(dir / name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        in.close();
        edit(bytes);
        std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
    };
    const struct {
        const char* what;
        std::function<void()> spoil;
        const char* says;
    } cases[] = {
        {"no manifest", [&] { fs::remove(dir / "manifest.txt"); }, "manifest.txt is missing"},
        {"a page byte changed", [&] { rewrite("pages.bin", [](std::string& b) { b[700] ^= 1; }); },
         "pages.bin does not match"},
        {"a piece cut short", [&] { rewrite("tmpbuf.bin", [](std::string& b) { b.pop_back(); }); },
         "tmpbuf.bin does not match"},
        {"a register edited", [&] { rewrite("registers.txt", [](std::string& b) { b[9] = '9'; }); },
         "registers.txt does not match"},
        {"a piece missing", [&] { fs::remove(dir / "clocks.txt"); }, "clocks.txt is missing"},
        {"a piece not listed",
         [&] { rewrite("manifest.txt", [](std::string& b) { b.erase(b.find("table.bin"), 1); }); },
         "table.bin is not in its manifest"},
        {"another file as manifest", [&] { rewrite("manifest.txt", [](std::string& b) { b[0] = 'X'; }); },
         "is not a raw archive's"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(load(), "") << c.what;
        c.spoil();
        std::string error = load();
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        ASSERT_EQ(vx::session::writeArchive(dir.string(), archive), "");  // whole again for the next case
    }
}

// The conversion writes its data record file under the session start, in the current
// folder: a start that would name another file or folder is refused with the archive.
TEST_F(RawArchiveTest, RefusesASessionStartThatIsNoTimeStamp) {
    const struct {
        std::string start;
        bool accepted;
    } cases[] = {
        {"240517_083000", true},  {"", true},
        {"../vx-outside", false}, {"/tmp/vx-owned", false},
        {"c:240517_0830", false}, {"24051" + std::string(6, '\0') + "00", false},
        {"240517_08300", false},
    };
    for (const auto& c : cases) {
        archive.sessionStart = c.start;
        ASSERT_EQ(vx::session::writeArchive(dir.string(), archive), "");
        EXPECT_EQ(load().empty(), c.accepted) << c.start;
    }
}

}  // namespace
