#pragma once
// The real-time monitor (dialog 400, DlgMonitor): the radio packets as they arrive, white
// on black; "Display Channels" for the channel windows, the graph and the export; "Save"
// for the text. Modeless over the main window, which stays disabled meanwhile.

#include <QDialog>
#include <array>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vx::monitor {

class ChannelWindow;

class MonitorDialog : public QDialog {
    Q_OBJECT

  public:
    // mainWindow: the owner, whose report box (ID_EDT_SES) gets the session report again
    // when the monitor closes.
    explicit MonitorDialog(QWidget* mainWindow);
    ~MonitorDialog() override;

    // Shows the temporary buffer and starts the 100 ms timer.
    void start();
    QPlainTextEdit* textBox() const { return text_; }
    ChannelWindow* channelWindow(int slot) const { return windows_[size_t(slot)]; }
    // The buttons' work, as a click does it.
    void saveClicked();
    void displayChannelsClicked();
    void escClicked();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override { escClicked(); }
    void moveEvent(QMoveEvent* e) override;

  private:
    void tick();
    void trimText();
    void openChannelWindows();
    void destroyChannelWindows();

    QWidget* main_;
    QPlainTextEdit* text_;
    QPushButton* esc_;
    QTimer* timer_;
    std::array<ChannelWindow*, 8> windows_{};
    bool closed_ = false;
};

// Runs the monitor over the main window until it closes.
void runMonitorWindow(QWidget* mainWindow);

}  // namespace vx::monitor
