#pragma once
// The companion programs' window ("Post-processing data", dialog 1100, DlgPlugin): one
// button for each companion program found in the program's working directory; a click
// starts it on the table just saved and waits until it ends; "Esc" closes.

#include <QDialog>
#include <cstdint>

namespace vx::postproc {

class PluginDialog : public QDialog {
    Q_OBJECT

  public:
    PluginDialog(int found, QWidget* owner = nullptr);

  protected:
    void showEvent(QShowEvent* e) override;
    void reject() override { done(1); }  // the Escape key, as the Esc button

  private:
    void start(int button);
};

}  // namespace vx::postproc

// Opens the window modally, without owner, when a companion program is there: 1 after
// "Esc", 0 when there was none (nothing is shown).
int32_t runPluginLauncher();
