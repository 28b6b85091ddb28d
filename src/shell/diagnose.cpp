#include "shell/diagnose.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "link/com.h"
#include "link/port_list.h"
#include "link/trace.h"
#include "platform/file_access.h"
#include "platform/local_time.h"
#include "platform/signals.h"
#include "platform/system_info.h"
#include "platform/tar_writer.h"
#include "shell/build_info.h"
#include "shell/port_scan.h"
#include "shell/program_trace.h"
#include "state/flags.h"

namespace vx::shell {
namespace {

std::string stamp(const std::tm& t, const char* fmt) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                  t.tm_sec);
    return buf;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "(not set)";
}

// The program's messages use CR LF and blank lines between parts; the probe's finding is
// said in plain lines.
std::string plainLines(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || (c == '\n' && (out.empty() || out.back() == '\n'))) continue;
        out += c;
    }
    return out;
}

std::string deviceFound() {
    if (Flag.modem == 1) return std::string("a modem (answered ATV0) on ") + CommPort;
    if (Flag.QM43BOOT == 1) return std::string("a QM43 boot loader (") + Flag.bootvers + ") on " + CommPort;
    const uint8_t c = Datalogger.hw;
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    return std::string(digit >= 0 ? Lista_schede[digit] : "an unknown board") + ", firmware release " +
           FW_release + ", on " + CommPort;
}

// Identifies the device on the given port or by the scan, and gives the port back.
std::string probeDevice(const std::string& port) {
    setLongTimeout();
    vx::link::clearFailure();
    std::string text;
    bool found;
    if (!port.empty()) {
        found = probePort(port, text) == 1;
        std::string reason = vx::link::lastFailureText();
        if (!found && !reason.empty()) text += "\r\n(" + reason + ")";
    } else {
        found = autoScanPorts(scanPortList()) == 1;
        if (!found)
            text = Nport == 0 ? "No COM port found !\r\n\r\nQuit the program and verify the serial connection"
                              : notFoundText();
    }
    if (found) {
        text = "found " + deviceFound();
        restoreCOM(hCom);
        closePort(hCom);
        hCom = nullptr;
    }
    return plainLines(text);
}

std::string versionText() {
    const BuildInfo b = buildInfo();
    return "Program: " + b.program + " (version " + b.version + ")\nBuild type: " + b.buildType +
           "\nCompiler: " + b.compiler + "\nQt: " + b.qt + "\n";
}

std::string platformText() {
    const vx::platform::SystemInfo s = vx::platform::systemInfo();
    return "OS: " + s.os + "\nKernel release: " + s.release + "\nKernel version: " + s.version +
           "\nCPU architecture: " + s.arch + "\nSerial backend (VENDRIX_SERIAL): " + env("VENDRIX_SERIAL") +
           "\n";
}

std::string portLine(const std::string& name, const std::string& description) {
    std::string line = name;
    if (!description.empty()) line += "  \"" + description + "\"";
    return line + "\n    " + vx::platform::describeAccess(vx::platform::fileAccess(name)) + "\n";
}

std::string portsText(const std::string& probed) {
    std::string t = "User: " + vx::platform::userDescription() + "\n";
    t += "Ports to scan (VENDRIX_PORTS): " + env("VENDRIX_PORTS") + "\n\n";
    const std::vector<vx::link::PortInfo> ports = vx::link::platformPorts();
    t += "Serial ports of the platform: " + std::to_string(ports.size()) + "\n";
    for (const vx::link::PortInfo& p : ports)
        t += portLine(p.name, p.description);
    if (!probed.empty()) t += "\nPort probed:\n" + portLine(probed, "");
    return t;
}

std::string messagesText(const std::string& probeTrace, const std::string& probe,
                         const std::string& traceOf) {
    std::string shown = traceMessages(probeTrace);
    std::string t = "Messages shown during the probe:\n" + (shown.empty() ? "(none)\n" : shown);
    t += "\nThe probe: " + probe + "\n";
    if (traceOf.empty()) return t;
    std::ifstream in(traceOf, std::ios::binary);
    std::string earlier;
    for (std::string line; std::getline(in, line);)
        earlier += traceMessages(line + "\n");
    return t + "\nMessages in " + traceOf + ":\n" + (earlier.empty() ? "(none)\n" : earlier);
}

// The probe's trace: a copy of the trace in use, or a trace of its own.
class ProbeTrace {
  public:
    explicit ProbeTrace(const std::vector<std::string>& commandLine) {
        outer_ = vx::link::activeTrace();
        if (outer_) {
            vx::link::TraceLog head(nullptr);  // the archive's copy opens with a header too
            head.setCopy(&text_);
            writeTraceHeader(head, commandLine);
            outer_->setCopy(&text_);
            outer_->note("diagnostic probe begins");
        } else {
            own_ = std::make_unique<vx::link::TraceLog>(nullptr);
            own_->setCopy(&text_);
            writeTraceHeader(*own_, commandLine);
            vx::link::setTrace(own_.get());
            traceMessageBoxes();
        }
    }
    ~ProbeTrace() { stop(); }
    const std::string& stop() {
        if (outer_) {
            outer_->note("diagnostic probe ends");
            outer_->setCopy(nullptr);
            outer_ = nullptr;
        } else if (own_) {
            vx::link::setTrace(nullptr);
            own_.reset();
        }
        return text_;
    }
    vx::link::TraceLog& log() { return outer_ ? *outer_ : *own_; }

  private:
    vx::link::TraceLog* outer_ = nullptr;
    std::unique_ptr<vx::link::TraceLog> own_;
    std::string text_;
};

}  // namespace

std::string traceMessages(const std::string& traceText) {
    std::string out;
    size_t pos = 0;
    while (pos < traceText.size()) {
        size_t end = traceText.find('\n', pos);
        if (end == std::string::npos) end = traceText.size();
        const size_t space = traceText.find(' ', pos);
        if (space < end && traceText.compare(space + 1, 9, "message: ") == 0)
            out.append(traceText, space + 1, end - space - 1).append("\n");
        pos = end + 1;
    }
    return out;
}

DiagnoseResult diagnose(const DiagnoseRequest& request) {
    DiagnoseResult r;
    const std::time_t now = std::time(nullptr);
    r.archive = request.out.empty()
                    ? stamp(vx::platform::localTime(now), "vendrix-diagnose-%04d%02d%02d_%02d%02d%02d.tar")
                    : request.out;
    if (!request.traceOf.empty()) {
        // Checked first: a name mistyped costs no probe.
        if (!std::ifstream(request.traceOf, std::ios::binary))
            return r.error = "The trace " + request.traceOf + " cannot be read.", r;
    }

    std::string trace, probe;
    {
        ProbeTrace pt(request.commandLine);
        probe = probeDevice(request.port);
        pt.log().note("probe: " + probe.substr(0, probe.find('\n')));
        trace = pt.stop();
    }
    if (vx::platform::interruptRequested()) return r.error = "Interrupted: no archive written.", r;

    const std::string messages = messagesText(trace, probe, request.traceOf);
    r.probe = probe;
    r.members = {
        {"version.txt", 0, "program version, build type, compiler, Qt"},
        {"platform.txt", 0, "operating system, kernel, CPU architecture"},
        {"ports.txt", 0, "serial ports with this user's rights on each"},
        {"trace.txt", 0, "the protocol trace of the probe"},
        {"messages.txt", 0, "the messages shown"},
    };
    const std::string texts[] = {versionText(), platformText(), portsText(request.port), trace, messages};
    for (size_t i = 0; i < 5; ++i)
        r.members[i].size = texts[i].size();

    vx::platform::AtomicFile file;
    if (!file.open(r.archive)) return r.error = "The archive cannot be written: " + file.error(), r;
    vx::platform::TarWriter tar(file, now);
    bool ok = true;
    for (size_t i = 0; i < 5 && ok; ++i)
        ok = tar.add(r.members[i].name, texts[i]);
    if (ok && !request.traceOf.empty()) {
        std::error_code ec;
        DiagnoseMember m{"earlier-trace.txt", std::filesystem::file_size(request.traceOf, ec),
                         "the trace " + request.traceOf};
        ok = tar.addFile(m.name, request.traceOf);
        r.members.push_back(m);
    }
    ok = ok && tar.finish();
    if (!ok) return r.error = "The archive cannot be written: " + tar.error(), r;
    if (!file.commit()) return r.error = "The archive cannot be written: " + file.error(), r;
    r.ok = true;
    return r;
}

}  // namespace vx::shell
