// The wait window on real widgets: its controls, placement, that only its Stop button
// reacts, and how a Stop click reaches the procedure that polls it.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "gui_helpers.h"
#include "shell/defaults.h"
#include "ui/qt/qt_backend.h"
#include "ui/wait_window.h"

namespace vx::test {
namespace {

class WaitWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        initVAR();
        backend_ = &vx::ui::qt::installQtBackend();
    }
    void TearDown() override {
        Close_wait_msg();
        vx::ui::setBackend(nullptr);
    }
    vx::ui::qt::WaitDialog* dialog() { return backend_->waitDialog(); }
    vx::ui::qt::QtBackend* backend_ = nullptr;
};

TEST_F(WaitWindow, ControlsTextBarAndPlace) {
    Show_wait_msg(nullptr, "Reading data from internal memory...");
    ASSERT_NE(dialog(), nullptr);
    Show_wait_msg(nullptr, "a second one changes nothing");
    EXPECT_EQ(control<QLabel>(dialog(), "ID_TXT_PROGINFO")->text().toStdString(),
              "Reading data from internal memory...");
    EXPECT_EQ(control<QPushButton>(dialog(), "ID_BTN_PROGESC")->text().toStdString(), "Esc");
    auto* bar = control<QProgressBar>(dialog(), "ID_BAR_PROGBAR");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    Setbar_wait_msg(3, 4);
    EXPECT_EQ(bar->value(), 75);
    Setbar_wait_msg(1, 3);
    EXPECT_EQ(bar->value(), 33);
    Print_wait_msg("Writing...");
    EXPECT_EQ(control<QLabel>(dialog(), "ID_TXT_PROGINFO")->text().toStdString(), "Writing...");
    EXPECT_TRUE(dialog()->windowFlags() & Qt::FramelessWindowHint);
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect f = dialog()->frameGeometry();
    EXPECT_EQ(f.left(), (screen.width() - f.width()) / 2);
    EXPECT_EQ(f.top(), (screen.height() - f.height()) / 2);
}

TEST_F(WaitWindow, EscapeAndCloseDoNotStop) {
    Show_wait_msg(nullptr, "busy");
    QTimer::singleShot(0, [this] {
        QTest::keyClick(dialog(), Qt::Key_Escape);
        dialog()->close();
    });
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(Test_wait_msg(), 1);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_TRUE(dialog()->isVisible());
}

TEST_F(WaitWindow, StopAnsweredYesEndsAtTheNextPoll) {
    Show_wait_msg(nullptr, "busy");
    SeenBox box;
    QTimer::singleShot(
        0, [this] { QTest::mouseClick(control<QPushButton>(dialog(), "ID_BTN_PROGESC"), Qt::LeftButton); });
    answerBox(QMessageBox::Yes, &box);
    EXPECT_EQ(Test_wait_msg(), 1);  // the poll that delivered the click
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.text.toStdString(), "Abandon the current operation ?");
    EXPECT_EQ(box.title.toStdString(), "Warning");
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(Test_wait_msg(), 0);
    EXPECT_EQ(dialog(), nullptr);
    Setbar_wait_msg(1, 2);  // no-ops once closed
    Print_wait_msg("x");
}

TEST_F(WaitWindow, StopAnsweredNoGoesOn) {
    Show_wait_msg(nullptr, "busy");
    QTimer::singleShot(
        0, [this] { QTest::mouseClick(control<QPushButton>(dialog(), "ID_BTN_PROGESC"), Qt::LeftButton); });
    answerBox(QMessageBox::No);
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_NE(dialog(), nullptr);
}

TEST_F(WaitWindow, OtherWindowsTakeNoInputWhileOpen) {
    // Input comes as the window system delivers it, to the owner's window.
    QWidget owner;
    owner.resize(200, 100);
    auto* button = new QPushButton(QStringLiteral("Start"), &owner);
    button->setGeometry(10, 10, 100, 30);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QWindow* win = owner.windowHandle();
    const QPoint at = button->geometry().center();
    QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(clicks, 1);
    Show_wait_msg(&owner, "busy");
    QTimer::singleShot(0, [&] { QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at); });
    EXPECT_EQ(Test_wait_msg(), 1);
    EXPECT_EQ(clicks, 1);
    Close_wait_msg();
    QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(clicks, 2);
}

}  // namespace
}  // namespace vx::test
