#include "ui/scripted_backend.h"

#include <cstdio>
#include <cstring>

#include "ui/input_dialogs.h"
#include "ui/wait_window.h"

namespace vx::ui {

void ScriptedBackend::unexpectedDialog(const std::string& what) {
    unexpected.push_back(what);
    if (onUnexpected) onUnexpected(what);
}

Answer ScriptedBackend::message(WindowHandle, const std::string& text, const std::string& caption, Icon icon,
                                Buttons buttons) {
    Answer a = Answer::Ok;
    if (buttons != Buttons::Ok) {
        if (answers_.empty()) {
            unexpectedDialog("question [" + caption + "] " + text);
            a = closeAnswer(buttons);
        } else {
            a = answers_.front();
            answers_.pop_front();
        }
    }
    messages.push_back({text, caption, icon, buttons, a});
    return a;
}

std::optional<std::string> ScriptedBackend::nextFile(const std::string& what) {
    if (files_.empty()) {
        unexpectedDialog(what);
        return std::nullopt;
    }
    auto f = files_.front();
    files_.pop_front();
    return f;
}

std::optional<std::string> ScriptedBackend::openFileName(WindowHandle, const FileDialogOptions&) {
    return nextFile("open file dialog");
}

std::optional<std::string> ScriptedBackend::saveFileName(WindowHandle, const FileDialogOptions&) {
    return nextFile("save file dialog");
}

void ScriptedBackend::showWait(WindowHandle, const std::string& text) {
    ++waitShows;
    waitOpen = true;
    waitTexts.push_back(text);
}

void ScriptedBackend::setWaitText(const std::string& text) {
    waitTexts.push_back(text);
}

void ScriptedBackend::setWaitBar(int percent) {
    waitBars.push_back(percent);
}

void ScriptedBackend::pollWait() {
    ++polls;
    if (onPoll) onPoll();
    if (!stopPolls_.empty() && stopPolls_.front() == polls) {
        stopPolls_.pop_front();
        waitStopClicked();
    }
}

void ScriptedBackend::closeWait() {
    ++waitCloses;
    waitOpen = false;
}

int ScriptedBackend::inputDialog(InputKind kind, WindowHandle) {
    Input rec{kind, inputCaption(kind), EditBuf, "", 0};
    if (kind == InputKind::Num2) rec.staticLine = rangeLine();
    if (kind == InputKind::Txt) rec.staticLine = lengthLine();
    if (inputs_.empty()) {
        unexpectedDialog("input dialog " + rec.caption);
    } else {
        auto typed = inputs_.front();
        inputs_.pop_front();
        if (typed) rec.result = typeAndConfirm(kind, *typed);
    }
    inputs.push_back(rec);
    return rec.result;
}

void ScriptedBackend::setStatus(WindowHandle, int part, const std::string& text) {
    status[part] = text;
    statusHistory.push_back(text);
}

}  // namespace vx::ui
