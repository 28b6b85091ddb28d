#pragma once
// A channel value window (dialog 1300, DlgCanale): the latest value of one selected
// channel in large yellow digits on black, with its unit, down the left edge of the
// screen; a move snaps it to a 20-pixel grid.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vx::monitor {

class ChannelWindow : public QDialog {
    Q_OBJECT

  public:
    // The window of selection entry `slot`, the `creationNumber`-th created (from 0).
    ChannelWindow(int slot, int creationNumber, QWidget* owner);
    void showValue(const QString& text);
    QString value() const;

  protected:
    void moveEvent(QMoveEvent* e) override;
    void reject() override {}  // closed with the monitor, not by Escape

  private:
    int slot_;
    bool placing_ = true;  // moves made by the window itself are not the user's
    QLineEdit* value_;
    QLabel* unit_;
};

}  // namespace vx::monitor
