// The wait window on real widgets: its controls, placement, that only its Stop button
// reacts, and how a Stop click reaches the procedure that polls it.

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include "gui_helpers.h"

namespace vx::test {
namespace {

class WaitWindow : public QtBackendTest {
  protected:
    vx::ui::qt::WaitDialog* dialog() { return backend_->waitDialog(); }
};

TEST_F(WaitWindow, ControlsTextAndBar) {
    Show_wait_msg(nullptr, "Reading data from internal memory...");
    ASSERT_NE(dialog(), nullptr);
    auto* text = control<QLabel>(dialog(), "ID_TXT_PROGINFO");
    EXPECT_EQ(text->text().toStdString(), "Reading data from internal memory...");
    EXPECT_EQ(control<QPushButton>(dialog(), "ID_BTN_PROGESC")->text().toStdString(), "Esc");
    EXPECT_TRUE(dialog()->windowFlags() & Qt::FramelessWindowHint);
    auto* bar = control<QProgressBar>(dialog(), "ID_BAR_PROGBAR");
    Setbar_wait_msg(3, 4);
    EXPECT_EQ(bar->value(), 75);
    Print_wait_msg("Writing...");
    EXPECT_EQ(text->text().toStdString(), "Writing...");
}

TEST_F(WaitWindow, CentredOnAShownOwnerElseOnTheScreen) {
    enum Owner { None, Hidden, Shown };
    for (Owner o : {None, Hidden, Shown}) {
        SCOPED_TRACE(o);
        QWidget owner;
        owner.setGeometry(20, 30, 360, 240);  // away from the screen's centre
        if (o == Shown) {
            owner.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        }
        Show_wait_msg(o == None ? nullptr : &owner, "busy");
        ASSERT_NE(dialog(), nullptr);
        QRect area = o == Shown ? owner.frameGeometry() : QGuiApplication::primaryScreen()->geometry();
        QRect f = dialog()->frameGeometry();
        EXPECT_EQ(f.left(), area.left() + (area.width() - f.width()) / 2);
        EXPECT_EQ(f.top(), area.top() + (area.height() - f.height()) / 2);
        Close_wait_msg();
    }
}

TEST_F(WaitWindow, EscapeAndCloseDoNotStopTheStopButtonAsksYesEndsAtTheNextPollNoGoesOn) {
    for (auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        const bool stops = answer == QMessageBox::Yes;
        SCOPED_TRACE(stops ? "Yes" : "No");
        Show_wait_msg(nullptr, "busy");
        QTimer::singleShot(0, [this] {
            QTest::keyClick(dialog(), Qt::Key_Escape);
            dialog()->close();
        });
        EXPECT_EQ(Test_wait_msg(), 1);
        ASSERT_NE(dialog(), nullptr);
        EXPECT_TRUE(dialog()->isVisible());
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [this] {
            QTest::mouseClick(control<QPushButton>(dialog(), "ID_BTN_PROGESC"), Qt::LeftButton);
        });
        whenModal<QMessageBox>([&](QMessageBox* box) {
            text = box->text(), title = box->windowTitle(), icon = box->icon();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
        EXPECT_EQ(Test_wait_msg(), 1);  // the poll that delivered the click
        EXPECT_EQ(text.toStdString(), "Abandon the current operation ?");
        EXPECT_EQ(title.toStdString(), "Warning");
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(Test_wait_msg(), stops ? 0 : 1);
        EXPECT_EQ(dialog() == nullptr, stops);
        Close_wait_msg();
    }
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
