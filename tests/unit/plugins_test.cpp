// The companion programs: which are found in the working directory, and one started on
// the saved table in that directory.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "postproc/plugins.h"
#include "state/exe_dir.h"
#include "support/fixtures.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class PluginsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        dir = fs::temp_directory_path() / ("vx_plugins_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        ProgramTest::TearDown();
    }
    void file(const std::string& name, const std::string& text, bool exec) {
        std::ofstream(dir / name) << text;
        ::chmod((dir / name).c_str(), exec ? 0755 : 0644);
    }
    std::vector<int> found(const char* ext) {
        int8_t idx[PLUG_IDX_SIZE] = {};
        const int n = findFile(dir.c_str(), ext, idx);
        return std::vector<int>(idx, idx + n);
    }
    fs::path dir;
};

TEST_F(PluginsTest, ProgramsAreFoundByNameWhateverTheirLetterCaseInTheListsOrder) {
    const struct {
        std::vector<std::pair<std::string, bool>> files;  // name, executable
        const char* ext;
        std::vector<int> expected;
    } cases[] = {
        {{}, "exe", {}},
        {{{"notes.txt", false}}, "exe", {}},
        {{{"lumeview.EXE", false}}, "exe", {1}},
        {{{"Lumeview.exe", false}, {"TALLO.exe", false}}, "exe", {0, 1}},
        {{{"Tallo.exe.bak", false}}, "exe", {}},
        // Elsewhere a program is an executable file without extension.
        {{{"Tallo", true}, {"lumeview", true}}, "", {0, 1}},
        {{{"Tallo", false}, {"Lumeview", true}}, "", {1}},
        {{{"Tallo.sh", true}}, "", {}},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto& [name, exec] : c.files)
            file(name, "#!/bin/sh\n", exec);
        EXPECT_EQ(found(c.ext), c.expected) << testing::PrintToString(c.files) << " ext " << c.ext;
    }
}

TEST_F(PluginsTest, ProgramRunsOnTheSavedTableInTheWorkingDirectoryOrIsReported) {
    file("Tallo", "#!/bin/sh\npwd > ran.txt\necho \"$#:$1\" >> ran.txt\n", true);
    file("Lumeview", "not a program\n", true);
    std::strcpy(Exe_dir, dir.c_str());
    std::strcpy(Data_file, "/data/table one.txt");
    int waits = 0;
    EXPECT_TRUE(vx::postproc::runPlugin(0, [&] { ++waits; }));
    std::ifstream in(dir / "ran.txt");
    std::string cwd, args;
    std::getline(in, cwd);
    std::getline(in, args);
    EXPECT_EQ(fs::canonical(cwd), fs::canonical(dir));
    EXPECT_EQ(args, "1:/data/table one.txt") << "one argument, the saved file";

    EXPECT_FALSE(vx::postproc::runPlugin(1, {}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_NE(ui.messages[0].text.find("Lumeview could not be started."), std::string::npos)
        << ui.messages[0].text;
    Exe_dir[0] = Data_file[0] = 0;
}

}  // namespace
}  // namespace vx::test
