#include "ui/terminal_backend.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/signals.h"
#include "platform/terminal.h"
#include "ui/input_dialogs.h"
#include "ui/text_encoding.h"
#include "ui/wait_window.h"

namespace vx::ui {
namespace {

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

bool endsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

}  // namespace

TerminalBackend::TerminalBackend() : progress_(vx::platform::isTerminal(stderr)) {
    policy_["Abandon the current operation ?"] = Answer::Yes;
}

Answer TerminalBackend::answerFor(const std::string& text, Buttons buttons) {
    if (buttons == Buttons::Ok) return Answer::Ok;
    // After Ctrl+C every question takes the way out.
    if (vx::platform::interruptRequested() && text.rfind("Abandon the current operation ?", 0) != 0)
        return closeAnswer(buttons);
    if (endsWith(text, "Try again ?")) return asked_[text]++ < retries_ ? Answer::Yes : Answer::No;
    Answer a = closeAnswer(buttons);
    for (auto& [prefix, ans] : policy_)
        if (text.compare(0, prefix.size(), prefix) == 0) a = ans;
    return a;
}

Answer TerminalBackend::message(WindowHandle, const std::string& text, const std::string& caption, Icon icon,
                                Buttons buttons) {
    Answer a = answerFor(text, buttons);
    if (icon == Icon::Error || icon == Icon::Warning) ++problems_;
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
    waitText_ = text;
    count_.clear();
    countUnit_.clear();
    percent_ = 0;
    drawBar();
}

void TerminalBackend::setWaitText(const std::string& text) {
    waitText_ = text;
    count_.clear();
    drawBar();
}

void TerminalBackend::setWaitBar(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    drawBar();
}

void TerminalBackend::setWaitProgress(int percent, uint32_t cur, uint32_t end, const std::string& unit) {
    std::string count;
    if (!unit.empty()) {
        auto now = std::chrono::steady_clock::now();
        if (unit != countUnit_ || cur == 0) {  // a new count starts its clock
            countUnit_ = unit;
            countStart_ = now;
        }
        count = countText(cur, end, unit, std::chrono::duration<double>(now - countStart_).count());
    }
    if (percent == percent_ && count == count_) return;
    percent_ = percent;
    count_ = count;
    drawBar();
}

std::string TerminalBackend::countText(uint32_t cur, uint32_t end, const std::string& unit, double seconds) {
    std::string out = format("%u/%u %s", unsigned(cur), unsigned(end), unit.c_str());
    if (seconds < 0.5 || cur == 0) return out;
    double rate = cur / seconds;
    out += format(", %.1f %s/s", rate, unit.c_str());
    if (cur < end) {
        unsigned left = unsigned(std::lround((end - cur) / rate));
        out += format(", %u:%02u left", left / 60, left % 60);
    }
    return out;
}

void TerminalBackend::pollWait() {
    // Ctrl+C is a click on Stop, answered Yes; the window then closes.
    if (vx::platform::interruptRequested()) waitStopClicked();
}

void TerminalBackend::closeWait() {
    endBar();
}

std::string TerminalBackend::barLine(int percent, const std::string& count, const std::string& text) {
    constexpr int kWidth = 30;
    int filled = percent * kWidth / 100;
    std::string bar(size_t(filled < 0 ? 0 : filled > kWidth ? kWidth : filled), '#');
    bar.resize(kWidth, '.');
    std::string line = format("[%s] %3d%% ", bar.c_str(), percent);
    if (!count.empty()) line += count + "  ";
    return line + forTerminal(text);
}

void TerminalBackend::drawBar() {
    if (!progress_ || quiet_) return;
    std::string line = barLine(percent_, count_, waitText_);
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
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
