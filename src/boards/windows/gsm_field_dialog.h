#pragma once
// The GSM field window (dialog 2000, DlgCampoGSM): the modem's received signal strength
// and bit error rate, asked through the board once a second until an error or the close.

#include <QDialog>

class QLineEdit;
class QTimer;

namespace vx::boards {

class GsmFieldDialog : public QDialog {
    Q_OBJECT

  public:
    explicit GsmFieldDialog(QWidget* owner);

    bool polling() const;  // the timer runs
    static constexpr int kPollMs = 1000;

  public slots:
    // One poll. Called by the timer; called directly it does not start the timer.
    void pollOnce();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QTimer* timer_;
    QLineEdit *rx_, *ber_;
    bool stopped_ = false;  // an error ended the polling for good
};

// The whole window, modal over `owner`.
void DlgCampoGSM(QWidget* owner);

}  // namespace vx::boards
