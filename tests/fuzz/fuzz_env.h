#pragma once
// What every fuzz target shares: the program's state put back to its defaults before each
// input, a user who answers nothing unless told, and a scratch folder for input files.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_port.h"
#include "ui/backend.h"

namespace vx::fuzz {

// The user of a fuzz run: closes every question (the answer a box gives when it is shut)
// unless a few "Yes" answers were granted, chooses the files it was given, cancels input
// dialogs, and clicks Stop once the wait window has been polled `pollBudget` times (long
// loops such as the resampling of a far-off time marker then end like a user ends them).
class FuzzBackend final : public vx::ui::Backend {
  public:
    int yesAnswers = 0;
    int pollBudget = 1 << 30;
    std::string fileToOpen;  // "" : the file dialog is cancelled
    int polls = 0;

    vx::ui::Answer message(vx::ui::WindowHandle, const std::string& text, const std::string& caption,
                           vx::ui::Icon, vx::ui::Buttons buttons) override;
    std::optional<std::string> openFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) override;
    std::optional<std::string> saveFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) override;
    void showWait(vx::ui::WindowHandle, const std::string&) override {}
    void setWaitText(const std::string&) override {}
    void setWaitBar(int) override {}
    void pollWait() override;
    void closeWait() override {}
    int inputDialog(vx::ui::InputKind, vx::ui::WindowHandle) override { return 0; }
    void appendText(vx::ui::WindowHandle, const std::string& text) override { shown += text.size(); }
    void clearText(vx::ui::WindowHandle) override {}
    void setStatus(vx::ui::WindowHandle, int, const std::string&) override {}

    size_t shown = 0;  // report characters, so that building them is not optimised away

  private:
    bool stopping_ = false;
};

// Puts the program back to its start-up state (initVAR, no port, no failure recorded) and
// installs a fresh FuzzBackend, which it returns. The first call also makes the scratch
// folder the working directory, where the program writes its files.
FuzzBackend& freshProgram();

// Writes the bytes into the scratch folder under `name`; returns the file's path.
std::string inputFile(const std::string& name, const uint8_t* data, size_t size);
std::string inputFile(const std::string& name, const std::string& text);

// The scratch folder, and every file in it removed (for targets whose program writes
// files under names taken from the input).
const std::string& scratchDir();
void clearScratch();

// The input (from `data`) as the device on the program's port, hCom, for a scope.
class DeviceOnPort {
  public:
    DeviceOnPort(const uint8_t* data, size_t size);
    ~DeviceOnPort();
    DeviceOnPort(const DeviceOnPort&) = delete;
    DeviceOnPort& operator=(const DeviceOnPort&) = delete;
    ReplyPort& port() { return port_; }

  private:
    ReplyPort port_;
};

// An input in two parts, split at its first kPause (the second part empty when none).
struct TwoParts {
    const uint8_t* first;
    size_t firstSize;
    const uint8_t* second;
    size_t secondSize;
};
TwoParts splitAtPause(const uint8_t* data, size_t size);

}  // namespace vx::fuzz
