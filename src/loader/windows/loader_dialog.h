#pragma once
// The firmware loader (dialog 1900, DlgLoader): a firmware file chosen and checked, its
// board type and version shown, and "Update now" uploading it into the board or through
// the QM43 boot loader. Alt+T sets the packet interval of FAST mode.

#include <QDialog>

class QLabel;
class QPushButton;

namespace vx::loader {

class LoaderDialog : public QDialog {
    Q_OBJECT

  public:
    explicit LoaderDialog(QWidget* owner);

  protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void selectFile();
    void updateNow();

    QLabel* board_;
    QLabel* version_;
    QPushButton* run_;
};

}  // namespace vx::loader

// Runs the loader modally over `owner` (null: no owner). 2 after a complete upload through
// the boot loader, 1 when closed with "Exit".
int run_loader(QWidget* owner);
