#pragma once
// The wait window (template 300): a line of text, a progress bar and the Stop button
// "Esc". Shown without a caption and with a thin frame, centred on its owner, modal for
// the whole program while it is open; only the Stop button reacts.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vx::ui::qt {

class WaitDialog : public QDialog {
    Q_OBJECT

  public:
    explicit WaitDialog(QWidget* owner);
    void setText(const QString& text);
    void setBar(int percent);
    int bar() const;
    QString text() const;
    // True while a Stop click is being handled (its question box is open).
    bool handlingStop() const { return handlingStop_; }

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Escape and the close command do nothing

  private:
    void stopClicked();

    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* stop_;
    bool handlingStop_ = false;
};

}  // namespace vx::ui::qt
