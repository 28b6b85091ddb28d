// The companion programs' window: nothing shown without a program, one button per program
// found, Esc ends it.

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "gui_helpers.h"
#include "postproc/windows/plugin_launcher.h"
#include "state/exe_dir.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class PluginLauncherTest : public QtBackendTest {
  protected:
    void SetUp() override {
        QtBackendTest::SetUp();
        dir = fs::temp_directory_path() / ("vx_launcher_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::strcpy(Exe_dir, dir.c_str());
    }
    void TearDown() override {
        Exe_dir[0] = 0;
        fs::remove_all(dir);
        QtBackendTest::TearDown();
    }
    void program(const char* name) {
        std::ofstream(dir / name) << "#!/bin/sh\n";
        ::chmod((dir / name).c_str(), 0755);
    }
    fs::path dir;
};

TEST_F(PluginLauncherTest, NoProgramShowsNothing) {
    EXPECT_EQ(runPluginLauncher(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PluginLauncherTest, OneButtonPerProgramInTheListsOrderAndEscEndsIt) {
    program("lumeview");
    program("Tallo");
    bool seen = false;
    whenModal<vx::postproc::PluginDialog>([&](vx::postproc::PluginDialog* dlg) {
        seen = true;
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Post-processing data"));
        EXPECT_EQ(control<QPushButton>(dlg, "ID_BTN_PLUG1")->text(), QStringLiteral("Tallo"));
        EXPECT_EQ(control<QPushButton>(dlg, "ID_BTN_PLUG2")->text(), QStringLiteral("Lumeview"));
        EXPECT_EQ(dlg->findChild<QPushButton*>(QStringLiteral("ID_BTN_PLUG3")), nullptr);
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(runPluginLauncher(), 1);
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace vx::test
