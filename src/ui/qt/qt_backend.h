#pragma once
// The desktop backend of the user-interaction layer: message boxes, file dialogs, the
// wait window, the input dialogs, report boxes and status bars on Qt widgets. Window
// handles are QWidget pointers.

#include <QPointer>

#include "ui/backend.h"
#include "ui/qt/wait_dialog.h"

namespace vx::ui::qt {

class QtBackend final : public Backend {
  public:
    ~QtBackend() override;

    Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<std::string> openFileName(WindowHandle owner, const FileDialogOptions& opts) override;
    std::optional<std::string> saveFileName(WindowHandle owner, const FileDialogOptions& opts) override;
    void showWait(WindowHandle owner, const std::string& text) override;
    void setWaitText(const std::string& text) override;
    void setWaitBar(int percent) override;
    void pollWait() override;
    void closeWait() override;
    int inputDialog(InputKind kind, WindowHandle owner) override;
    void appendText(WindowHandle box, const std::string& text) override;
    void clearText(WindowHandle box) override;
    void setStatus(WindowHandle window, int part, const std::string& text) override;
    void beep() override;

    // The open wait window (null when closed), for the windows' own use and for tests.
    WaitDialog* waitDialog() const { return wait_; }

  private:
    QPointer<WaitDialog> wait_;
};

// The one desktop backend of the process, installed as the backend in use.
QtBackend& installQtBackend();

}  // namespace vx::ui::qt
