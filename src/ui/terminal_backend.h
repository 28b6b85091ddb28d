#pragma once
// The backend of the command-line tool: messages and questions on stderr with their
// caption, a progress bar on stderr, reports on stdout, Ctrl+C as the wait window's Stop.
// Questions are answered by policy (the command's options), never by waiting on input.

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "ui/backend.h"

namespace vx::ui {

class TerminalBackend final : public Backend {
  public:
    TerminalBackend();

    // The answer given to a question whose text begins with `prefix`.
    void setAnswer(const std::string& prefix, Answer a) { policy_[prefix] = a; }
    // How many times each "Try again ?" question is answered Yes before it is answered No.
    void setRetries(int n) { retries_ = n; }
    // Input dialogs: the text typed into the next dialog whose caption begins with prefix.
    void setInput(const std::string& captionPrefix, const std::string& typed) {
        inputs_[captionPrefix] = typed;
    }
    void setQuiet(bool q) { quiet_ = q; }
    void setProgress(bool on) { progress_ = on && progress_; }

    // Messages with the error or warning icon shown so far.
    int problemsShown() const { return problems_; }

    Answer message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<std::string> openFileName(WindowHandle owner, const FileDialogOptions& opts) override;
    std::optional<std::string> saveFileName(WindowHandle owner, const FileDialogOptions& opts) override;
    void showWait(WindowHandle owner, const std::string& text) override;
    void setWaitText(const std::string& text) override;
    void setWaitBar(int percent) override;
    void setWaitProgress(int percent, uint32_t cur, uint32_t end, const std::string& unit) override;
    void pollWait() override;
    void closeWait() override;
    int inputDialog(InputKind kind, WindowHandle owner) override;
    void appendText(WindowHandle box, const std::string& text) override;
    void clearText(WindowHandle) override {}
    void setStatus(WindowHandle, int, const std::string&) override {}

    // The bar line for a state (without the leading carriage return), for tests.
    static std::string barLine(int percent, const std::string& count, const std::string& text);
    // "132/400 pages, 41.2 pages/s, 0:06 left" for cur of end units after `seconds`.
    static std::string countText(uint32_t cur, uint32_t end, const std::string& unit, double seconds);

  private:
    Answer answerFor(const std::string& text, Buttons buttons);
    void drawBar();
    void endBar();

    std::map<std::string, Answer> policy_;
    std::map<std::string, int> asked_;  // "Try again ?" questions answered so far
    std::map<std::string, std::string> inputs_;
    std::string waitText_, count_;
    std::chrono::steady_clock::time_point countStart_;
    std::string countUnit_;
    int percent_ = 0;
    int retries_ = 2;
    int problems_ = 0;
    bool barShown_ = false;
    bool quiet_ = false;
    bool progress_;
};

}  // namespace vx::ui
