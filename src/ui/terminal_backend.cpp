#include "ui/terminal_backend.h"

#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "ui/input_dialogs.h"
#include "ui/text_encoding.h"
#include "ui/wait_window.h"

namespace vx::ui {
namespace {

std::atomic<int> gInterrupts{0};

void onSigint(int) {
    // A second Ctrl+C while nothing polls ends the program the usual way.
    if (gInterrupts.fetch_add(1) >= 1) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

// Message texts use "\r\n" line ends; a terminal wants "\n".
std::string forTerminal(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    return cp1252ToUtf8(out);
}

const char* answerName(Answer a) {
    switch (a) {
        case Answer::Ok:
            return "Ok";
        case Answer::Cancel:
            return "Cancel";
        case Answer::Abort:
            return "Abort";
        case Answer::Retry:
            return "Retry";
        case Answer::Ignore:
            return "Ignore";
        case Answer::Yes:
            return "Yes";
        case Answer::No:
            return "No";
    }
    return "?";
}

}  // namespace

TerminalBackend::TerminalBackend() : progress_(isatty(STDERR_FILENO) != 0) {
    policy_["Abandon the current operation ?"] = Answer::Yes;
}

void TerminalBackend::installInterruptHandler() {
    std::signal(SIGINT, onSigint);
}

Answer TerminalBackend::message(WindowHandle, const std::string& text, const std::string& caption, Icon,
                                Buttons buttons) {
    Answer a = closeAnswer(buttons);
    if (buttons != Buttons::Ok) {
        for (auto& [prefix, ans] : policy_)
            if (text.compare(0, prefix.size(), prefix) == 0) a = ans;
    }
    endBar();
    if (!quiet_ || buttons == Buttons::Ok) {
        std::fprintf(stderr, "%s: %s", forTerminal(caption).c_str(), forTerminal(text).c_str());
        if (buttons != Buttons::Ok) std::fprintf(stderr, " [%s]", answerName(a));
        std::fputc('\n', stderr);
    }
    return a;
}

std::optional<std::string> TerminalBackend::openFileName(WindowHandle, const FileDialogOptions&) {
    return std::nullopt;
}

std::optional<std::string> TerminalBackend::saveFileName(WindowHandle, const FileDialogOptions&) {
    return std::nullopt;
}

void TerminalBackend::showWait(WindowHandle, const std::string& text) {
    gInterrupts = 0;
    waitText_ = text;
    percent_ = 0;
    drawBar();
}

void TerminalBackend::setWaitText(const std::string& text) {
    waitText_ = text;
    drawBar();
}

void TerminalBackend::setWaitBar(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    drawBar();
}

void TerminalBackend::pollWait() {
    if (gInterrupts.load() > 0) {
        gInterrupts = 0;
        waitStopClicked();
    }
}

void TerminalBackend::closeWait() {
    endBar();
}

void TerminalBackend::drawBar() {
    if (!progress_ || quiet_) return;
    constexpr int kWidth = 30;
    int filled = percent_ * kWidth / 100;
    std::string bar(size_t(filled < 0 ? 0 : filled > kWidth ? kWidth : filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r[%s] %3d%% %s\033[K", bar.c_str(), percent_, forTerminal(waitText_).c_str());
    std::fflush(stderr);
    barShown_ = true;
}

void TerminalBackend::endBar() {
    if (!barShown_) return;
    std::fputc('\n', stderr);
    barShown_ = false;
}

int TerminalBackend::inputDialog(InputKind kind, WindowHandle) {
    std::string caption = inputCaption(kind);
    for (auto& [prefix, typed] : inputs_)
        if (caption.compare(0, prefix.size(), prefix) == 0) return typeAndConfirm(kind, typed);
    return 0;  // nobody to type: the dialog is cancelled
}

void TerminalBackend::appendText(WindowHandle, const std::string& text) {
    endBar();
    std::string out = forTerminal(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace vx::ui
