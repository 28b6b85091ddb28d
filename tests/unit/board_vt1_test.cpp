// The parameter file: written as magic and image, read back only when it is exactly that.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "boards/board_image.h"
#include "boards/vt1_file.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

class BoardVt1 : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/vxvt1XXXXXX";
        dir_ = mkdtemp(tmpl);
        for (int k = 0; k < EE_SIZE; ++k)
            EE.buf[k] = uint8_t(3 * k + 1);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ProgramTest::TearDown();
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void put(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string validBytes() {
        std::string s(VT1_MAGIC, 9);
        for (int k = 0; k < EE_SIZE; ++k)
            s += char(200 - k);
        return s;
    }
    fs::path dir_;
};

TEST_F(BoardVt1, SavedFileIsMagicThenImage) {
    const std::string p = path("plant.vt1");
    ASSERT_TRUE(vx::boards::writeParameterFile(p));
    std::ifstream f(p, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(f)), {});
    ASSERT_EQ(bytes.size(), 50u);
    EXPECT_EQ(bytes.substr(0, 9), std::string("VT71A_10\0", 9));
    EXPECT_EQ(std::memcmp(bytes.data() + 9, EE.buf, EE_SIZE), 0);
    // And it reads back as it was.
    uint8_t saved[EE_SIZE];
    std::memcpy(saved, EE.buf, EE_SIZE);
    std::memset(EE.buf, 0, EE_SIZE);
    EXPECT_EQ(vx::boards::readParameterFile(p), VT1_LOADED);
    EXPECT_EQ(std::memcmp(saved, EE.buf, EE_SIZE), 0);
}

TEST_F(BoardVt1, ReadOutcomes) {
    std::string wrongMagicLast = validBytes();
    wrongMagicLast[8] = ' ';  // the NUL is part of the magic
    std::string wrongMagicFirst = validBytes();
    wrongMagicFirst[0] = 'v';
    const struct {
        const char* what;
        std::string bytes;
        bool create;
        int8_t outcome;
    } cases[] = {
        {"valid", validBytes(), true, VT1_LOADED},
        {"51 bytes", validBytes() + '\0', true, VT1_NOT_VALID},
        {"49 bytes", validBytes().substr(0, 49), true, VT1_NOT_VALID},
        {"magic only", validBytes().substr(0, 9), true, VT1_NOT_VALID},
        {"empty", "", true, VT1_NOT_VALID},
        {"magic without its NUL", wrongMagicLast, true, VT1_NOT_VALID},
        {"magic in other case", wrongMagicFirst, true, VT1_NOT_VALID},
        {"missing", "", false, VT1_CANNOT_OPEN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("case.vt1");
        fs::remove(p);
        if (c.create) put(p, c.bytes);
        uint8_t before[EE_SIZE];
        std::memcpy(before, EE.buf, EE_SIZE);
        EXPECT_EQ(vx::boards::readParameterFile(p), c.outcome);
        if (c.outcome == VT1_LOADED)
            EXPECT_EQ(std::memcmp(EE.buf, c.bytes.data() + 9, EE_SIZE), 0);
        else
            EXPECT_EQ(std::memcmp(EE.buf, before, EE_SIZE), 0) << "image changed by a file not taken";
        std::memcpy(EE.buf, before, EE_SIZE);
    }
}

TEST_F(BoardVt1, DialogsCancelledOrFailing) {
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(save_VT71a_dati(nullptr), 0);
    ui.chooseFile(std::nullopt);
    EXPECT_EQ(read_VT71a_dati(nullptr), VT1_CANCELLED);
    // A folder that does not exist: nothing written, and said so.
    ui.chooseFile(path("no/such/dir/x.vt1"));
    EXPECT_EQ(save_VT71a_dati(nullptr), 0);
    ui.chooseFile(path("board.vt1"));
    EXPECT_EQ(save_VT71a_dati(nullptr), 1);
    ui.chooseFile(path("board.vt1"));
    EXPECT_EQ(read_VT71a_dati(nullptr), VT1_LOADED);
}

}  // namespace
