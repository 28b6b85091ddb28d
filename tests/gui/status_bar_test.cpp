// The main window's status bar through the desktop backend: two parts, the first 150
// pixels wide, the texts the core and the window write into them.

#include <QLabel>
#include <QStatusBar>

#include "gui_helpers.h"
#include "shell/defaults.h"
#include "shell/windows/main_window.h"
#include "ui/qt/controls.h"
#include "ui/qt/qt_backend.h"

namespace vx::test {
namespace {

TEST(StatusBar, TwoPartsFirstOf150Pixels) {
    initVAR();
    vx::ui::qt::installQtBackend();
    vx::shell::MainWindow w;
    w.show();
    vx::ui::backend().setStatus(&w, 0, "Ready: 256000");
    vx::ui::backend().setStatus(&w, 1, "Uscita dallo stato IDLE");
    auto* bar = control<QStatusBar>(&w, "ID_MAIN_STATUSBAR");
    ASSERT_NE(bar, nullptr);
    auto* first = control<QLabel>(bar, "part0");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text().toStdString(), "Ready: 256000");
    EXPECT_EQ(control<QLabel>(bar, "part1")->text().toStdString(), "Uscita dallo stato IDLE");
    EXPECT_EQ(first->width(), 150);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(bar->isSizeGripEnabled());
    vx::ui::setBackend(nullptr);
}

}  // namespace
}  // namespace vx::test
