#pragma once
// The port selection (dialog 100): the automatic scan, and when no port answered a list
// of the ports that could be opened, for a manual choice with the long time-out.

#include <QDialog>
#include <functional>

class QListWidget;
class QListWidgetItem;

namespace vx::shell {

class PortSelection : public QDialog {
    Q_OBJECT

  public:
    // quickMode: the offline viewer that Alt+q opens (the program's own by default).
    explicit PortSelection(std::function<int(QWidget*)> quickMode = {}, QWidget* parent = nullptr);

    // The automatic scan; 2 when a device answered (the window is then not shown), else 0
    // with the list filled and the "No COM port found" warning shown when nothing opened.
    int scan();

    // The Alt service keys; true when the letter is a command.
    bool serviceKey(char letter);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Escape does nothing

  private:
    void choose(QListWidgetItem* item);

    QListWidget* list_;
    std::function<int(QWidget*)> quickMode_;
};

// The whole window: 2 when a device answered, 1 for Exit, 0 for the close box.
int DlgSelCOM();

}  // namespace vx::shell
