#include "shell/program_trace.h"

#include <cstdio>
#include <ctime>

#include "platform/local_time.h"
#include "platform/system_info.h"
#include "shell/build_info.h"
#include "ui/backend.h"

namespace vx::shell {
namespace {

const char* answerText(vx::ui::Answer a) {
    using vx::ui::Answer;
    switch (a) {
        case Answer::Ok:
            return "OK";
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

void onMessage(const std::string& text, const std::string& caption, vx::ui::Icon, vx::ui::Buttons buttons,
               vx::ui::Answer answer) {
    if (!vx::link::activeTrace()) return;
    std::string detail = caption;
    if (buttons != vx::ui::Buttons::Ok)
        detail += std::string(detail.empty() ? "" : ", ") + "answered " + answerText(answer);
    vx::link::traceMessage(text, detail);
}

std::string quoted(const std::string& arg) {
    return arg.find_first_of(" \t\"") == std::string::npos && !arg.empty() ? arg : "\"" + arg + "\"";
}

}  // namespace

TraceSwitch takeTraceSwitch(std::vector<std::string>& args) {
    TraceSwitch sw;
    for (size_t i = 0; i < args.size();) {
        const std::string& a = args[i];
        if (a == "--") break;
        if (a.rfind("--trace=", 0) == 0) {
            sw = {true, a.substr(8), {}};
            args.erase(args.begin() + long(i));
        } else if (a == "--trace") {
            if (i + 1 >= args.size()) return {true, {}, "--trace needs a file name"};
            sw = {true, args[i + 1], {}};
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        } else {
            ++i;
        }
    }
    if (sw.given && sw.file.empty()) sw.error = "--trace: the file name is empty";
    return sw;
}

void writeTraceHeader(vx::link::TraceLog& log, const std::vector<std::string>& commandLine) {
    const BuildInfo b = buildInfo();
    const vx::platform::SystemInfo s = vx::platform::systemInfo();
    const std::tm t = vx::platform::localTime(std::time(nullptr));
    char when[64];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    std::string line;
    for (const std::string& a : commandLine)
        line += (line.empty() ? "" : " ") + quoted(a);
    log.raw("# " + b.program + " protocol trace");
    log.raw("# build: " + b.version + ", " + b.buildType + ", " + b.compiler + ", Qt " + b.qt);
    log.raw("# platform: " + s.os + " " + s.release + " " + s.arch);
    log.raw(std::string("# started: ") + when + " (the times below are seconds since then)");
    log.raw("# command line: " + line);
    log.raw("# > bytes written, < bytes read, #N transaction N, = its outcome; \"text\" or hex |printable|");
}

void traceMessageBoxes() {
    vx::ui::setMessageObserver(onMessage);
}

TraceRun::~TraceRun() {
    finish();
}

bool TraceRun::start(const std::string& file, const std::vector<std::string>& commandLine) {
    error_.clear();
    if (!file_.open(file)) {
        error_ = "The trace cannot be written: " + file_.error();
        return false;
    }
    file_.setBuffer(64 * 1024);
    log_ = std::make_unique<vx::link::TraceLog>(file_.stream());
    writeTraceHeader(*log_, commandLine);
    vx::link::setTrace(log_.get());
    traceMessageBoxes();
    return true;
}

bool TraceRun::finish() {
    if (!log_) return true;
    vx::link::setTrace(nullptr);
    log_->note("end of trace");
    log_.reset();
    if (!file_.commit()) {
        error_ = "The trace cannot be written: " + file_.error();
        return false;
    }
    return true;
}

}  // namespace vx::shell
