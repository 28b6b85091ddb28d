#pragma once
// The remote connection (dialog 1700, DlgRemote): the plant's telephone number, typed or
// taken from a phone book, the dial with the modem's result codes, and the main window
// over the connected line.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace vx::shell {

class RemoteDialog : public QDialog {
    Q_OBJECT

  public:
    // mainWindow: what "Read Data" opens once the device behind the modem answered (the
    // program's main window by default).
    explicit RemoteDialog(std::function<void(QWidget*)> mainWindow = {}, QWidget* parent = nullptr);

    static constexpr int TIMER_TIME = 500;  // ms
    bool timerRunning() const;

  public slots:
    // One tick of the window timer: looks for the modem's result code.
    void tick();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Escape does nothing; Exit and the close box end the window

  private:
    void phoneBook();
    void editNumber();
    void dial();
    void exitStopHangUp();
    void readData();
    void showNumber();
    void showStatus(const char* text);
    void connected();
    void afterResult(bool connectedNow);

    std::function<void(QWidget*)> mainWindow_;
    QTimer* timer_;
    QPushButton *rub_, *ntel_, *conn_, *vendrix_, *rexit_;
    QLabel* status_;
};

// The whole window, modal; ends with 1.
int DlgRemote();

}  // namespace vx::shell
