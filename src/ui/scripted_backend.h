#pragma once
// The backend of the tests: records every message (text, caption, icon, buttons), the
// wait window's texts and bar, report texts and status texts; answers questions, input
// dialogs and file dialogs from queues; reports any question it was not told to expect.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/backend.h"

namespace vx::ui {

class ScriptedBackend final : public Backend {
  public:
    struct Message {
        std::string text, caption;
        Icon icon;
        Buttons buttons;
        Answer answer;
    };
    struct Input {
        InputKind kind;
        std::string caption, preset, staticLine;
        int result;
    };

    // Script.
    void answer(Answer a) { answers_.push_back(a); }
    void type(const std::string& text) { inputs_.push_back(text); }
    void cancelInput() { inputs_.push_back(std::nullopt); }
    void chooseFile(std::optional<std::string> name) { files_.push_back(std::move(name)); }
    void stopAtPoll(int n) { stopPolls_.push_back(n); }  // a Stop click at the n-th poll (from 1)
    // Called at each poll of the wait window (where a window timer of the program could fire).
    std::function<void()> onPoll;
    // Called for a question, input or file dialog with nothing queued for it.
    std::function<void(const std::string&)> onUnexpected;

    // Record.
    std::vector<Message> messages;
    std::vector<Input> inputs;
    std::vector<std::string> waitTexts;  // texts shown, in order (opening and changes)
    std::vector<int> waitBars;
    int waitShows = 0, waitCloses = 0, polls = 0;
    bool waitOpen = false;
    std::map<WindowHandle, std::string> texts;
    std::map<int, std::string> status;  // by part, last text
    std::vector<std::string> statusHistory;
    std::vector<std::string> unexpected;

    bool allConsumed() const { return answers_.empty() && inputs_.empty() && files_.empty(); }

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
    void appendText(WindowHandle box, const std::string& text) override { texts[box] += text; }
    void clearText(WindowHandle box) override { texts[box].clear(); }
    void setStatus(WindowHandle window, int part, const std::string& text) override;

  private:
    void unexpectedDialog(const std::string& what);
    std::optional<std::string> nextFile(const std::string& what);

    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> inputs_;
    std::deque<std::optional<std::string>> files_;
    std::deque<int> stopPolls_;
};

}  // namespace vx::ui
