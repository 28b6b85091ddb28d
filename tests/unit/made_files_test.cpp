// The data record files a run made: deleted at the end only when their table was saved.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "postproc/made_files.h"

namespace {

namespace fs = std::filesystem;
using namespace vx::postproc;

TEST(MadeFiles, OnlyAFileWhoseTableWasSavedIsDeleted) {
    const fs::path dir = fs::temp_directory_path() / ("vx_made_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto make = [&](const char* name) {
        std::ofstream(dir / name) << "data";
        noteMadeFile((dir / name).string());
        return (dir / name).string();
    };
    const std::string saved = make("240101_000000");
    const std::string unsaved = make("240102_000000");
    const std::string loadedNotSaved = make("240103_000000");
    const std::string remade = make("240104_000000");
    const std::string gone = make("240105_000000");

    noteTableLoadedFrom(saved);
    noteTableSaved();
    noteTableLoadedFrom(loadedNotSaved);
    noteTableLoadedFrom(remade);
    noteTableSaved();
    make("240104_000000");  // downloaded again after the save: the new data is not saved
    fs::remove(gone);

    const std::vector<std::string> kept = settleMadeFiles();
    const std::vector<std::string> expected = {fs::weakly_canonical(unsaved).string(),
                                               fs::weakly_canonical(loadedNotSaved).string(),
                                               fs::weakly_canonical(remade).string()};
    EXPECT_EQ(kept, expected);
    EXPECT_FALSE(fs::exists(saved));
    for (const std::string& k : kept)
        EXPECT_TRUE(fs::exists(k)) << k;
    EXPECT_TRUE(settleMadeFiles().empty()) << "the run's list is settled once";
    EXPECT_EQ(keptFileText("/home/user/240102_000000"),
              "The data record file 240102_000000 stays in /home/user (its table was not saved).");
    fs::remove_all(dir);
}

}  // namespace
