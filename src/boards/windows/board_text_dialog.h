#pragma once
// The text description of the board image (dialog 2100, DlgVT71txt): the parameters of EE
// as readable Italian text in a read-only box.

#include <QDialog>

namespace vx::boards {

class BoardTextDialog : public QDialog {
    Q_OBJECT

  public:
    explicit BoardTextDialog(QWidget* owner);

  protected:
    void showEvent(QShowEvent* e) override;
    void reject() override {}  // Escape does nothing: only the close box ends it
    void closeEvent(QCloseEvent* e) override;
};

// The whole dialog, modal over `owner`.
void DlgVT71txt(QWidget* owner);

}  // namespace vx::boards
