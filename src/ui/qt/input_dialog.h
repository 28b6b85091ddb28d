#pragma once
// The four modal input dialogs (templates 900, 1000, 1600, 1800) as one widget built
// for its kind. The editing rules are the shared ones of input_dialogs.h; this class
// only shows them on real controls.

#include <QDialog>

#include "ui/backend.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vx::ui::qt {

class InputDialog : public QDialog {
    Q_OBJECT

  public:
    InputDialog(InputKind kind, QWidget* parent);
    // Runs the dialog modally; 1 with EditBuf holding the result, 0 on cancel.
    int run();

    // Object names of the controls of a kind.
    struct Names {
        const char* dialog;
        const char* edit;
        const char* ok;
        const char* esc;
        const char* info;  // group box or static line, null when the template has none
    };
    static Names names(InputKind kind);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void edited(const QString& text);
    void confirm();

    InputKind kind_;
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* esc_;
    bool rewriting_ = false;
};

}  // namespace vx::ui::qt
