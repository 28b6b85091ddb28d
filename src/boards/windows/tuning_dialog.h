#pragma once
// The clock-tuning window of a VT75h display (dialog 2300, DlgTunosc): the oscillator
// tuning value stepped with "+" and "-" and the pulse output, each change written to the
// board at once.

#include <QDialog>

#include "boards/display_rules.h"

class QCheckBox;
class QLineEdit;

namespace vx::boards {

class TuningDialog : public QDialog {
    Q_OBJECT

  public:
    explicit TuningDialog(QWidget* owner);

    // Reads the register (the user is told when that fails; the window opens anyway).
    void readRegister();
    // 1 when the last byte written differs from the one read at opening, else 0.
    int changed() const { return tunosc_.result(); }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // The value and the box; the communication error over `owner` when failed.
    void refresh(int failed, QWidget* owner);

    Tunosc tunosc_;
    QLineEdit* value_;
    QCheckBox* pulse_;
};

// The whole window over `owner`; 1 when the tuning byte changed.
int DlgTunosc(QWidget* owner);

}  // namespace vx::boards
