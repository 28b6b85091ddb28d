#pragma once
// The nodes' sample timer (dialog 700, DlgSaTmr): a value in seconds sent to the logger
// with "Apply".

#include <QDialog>

class QLineEdit;

namespace vx::monitor {

class SampleTimerDialog : public QDialog {
    Q_OBJECT

  public:
    explicit SampleTimerDialog(QWidget* owner);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    uint16_t clampField();  // the box's value clamped to 0..65535, written back
    void apply();

    QLineEdit* value_;
};

// The whole dialog, modal over `owner`.
void DlgSaTmr(QWidget* owner);

}  // namespace vx::monitor
