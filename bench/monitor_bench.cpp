// The monitor's figures: lines through the packet batch, the CPU the monitor takes at 2000
// lines per second from the simulated logger, and no line lost over a long run (the
// simulator counts what it sent; the monitor text and the export sums must hold it all).

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "bench_util.h"
#include "graphs/datalogger/realtime_graph.h"
#include "link/com.h"
#include "monitor/monitor.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "shell/defaults.h"
#include "shell/logger_modes.h"
#include "sim/logger_device.h"
#include "state/flags.h"

namespace vx::bench {
namespace {

// Counts what reaches the monitor box instead of keeping it; everything else is silent.
class CountingBackend final : public vx::ui::Backend {
  public:
    uint64_t packetLines = 0;   // lines of packets shown (not the temporary buffer's)
    uint64_t decodedLines = 0;  // data lines of session nodes
    uint64_t valuesShown = 0;   // channel values in them
    uint64_t valuesWhileExporting = 0;

    vx::ui::Answer message(vx::ui::WindowHandle, const std::string& text, const std::string& caption,
                           vx::ui::Icon, vx::ui::Buttons b) override {
        if (b == vx::ui::Buttons::Ok) std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return vx::ui::Answer::Yes;
    }
    std::optional<std::string> openFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) override {
        return std::nullopt;
    }
    void showWait(vx::ui::WindowHandle, const std::string&) override {}
    void setWaitText(const std::string&) override {}
    void setWaitBar(int) override {}
    void pollWait() override {}
    void closeWait() override {}
    int inputDialog(vx::ui::InputKind, vx::ui::WindowHandle) override { return 0; }
    void clearText(vx::ui::WindowHandle) override {}
    void setStatus(vx::ui::WindowHandle, int, const std::string&) override {}
    void appendText(vx::ui::WindowHandle, const std::string& text) override {
        // One call per line: "hh:mm:ss>> ...", "BC>> ...", "TEST>> ..." (or a buffer record).
        bool packet = text.rfind("BC>>", 0) == 0 || text.rfind("TEST>>", 0) == 0 ||
                      (text.size() > 10 && text[2] == ':' && text[5] == ':' && text[8] == '>');
        if (!packet) return;
        ++packetLines;
        if (text.find(">> CH") == std::string::npos) return;
        ++decodedLines;
        uint64_t values = 0;
        for (size_t p = text.find(" CH"); p != std::string::npos; p = text.find(" CH", p + 3))
            ++values;
        valuesShown += values;
        if (vx::monitor::exportRunning()) valuesWhileExporting += values;
    }
};

struct Scratch {
    std::filesystem::path old, dir;
    Scratch() {
        char tmpl[] = "/tmp/vxmonbenchXXXXXX";
        dir = mkdtemp(tmpl);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    ~Scratch() {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
};

uint64_t sentLines(SimLink& link) {
    uint64_t n = 0;
    link.server->withDevice([&](vx::sim::Device& d) {
        if (auto* logger = vx::sim::findLogger(d)) n = logger->monitorCounts().lines;
    });
    return n;
}

// The logger connected and its session read; eight channels selected with their windows,
// a graph and the export on; `box` receives the monitor text.
bool prepare(SimLink& link, const std::string& settings, std::vector<uint64_t>& hookCalls) {
    initVAR();
    Init_Datalogger();
    if (!link.start(settings)) return false;
    Flag.pages[0] = 0;
    initSession(Flag.pages, nullptr);
    if (Flag.table_error) return std::fprintf(stderr, "monitor bench: no session table\n"), false;
    for (int row = 0, n = 0; row < TotalNodeNum && n < NWINMAX; ++row)
        if (InfoFE[row + 1].chanu_logic > 0) n += vx::monitor::clickChannelCell(row, 2) ? 1 : 0;
    open_datawindows();
    hookCalls.assign(NWINMAX, 0);
    vx::monitor::MonitorHooks hooks;
    hooks.channelValue = [&hookCalls](int slot, const char*, float) { ++hookCalls[size_t(slot)]; };
    vx::monitor::setMonitorHooks(hooks);
    Flag_Graph = 2;  // the sliding graph's calls with every value
    return true;
}

void startMonitoring() {
    initMonitor(nullptr, nullptr);
    vx::monitor::setExportPeriod("1");
    vx::monitor::startExportTo("export.csv", nullptr);
}

void closeMonitoring() {
    vx::monitor::MonitorClose how;
    how.readSession = false;
    vx::monitor::closeMonitor(how);
    Flag_Graph = 0;
}

// Lines handled per second inside the batches, with a backlog always waiting.
void batchThroughput() {
    Scratch scratch;
    CountingBackend counting;
    vx::ui::setBackend(&counting);
    SimLink link;
    std::vector<uint64_t> hooks;
    if (!prepare(link, "qm41,seed=9,nodes=8,channels=8,pairs=0,mon-rate=30000,mon-broadcast=0,mon-test=0",
                 hooks))
        return vx::ui::setBackend(nullptr);
    double busy = 0;
    uint64_t lines = 0;
    vx::shell::runMonitor(nullptr, [&] {
        startMonitoring();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // a backlog builds up
        const double end = wallSeconds() + 3.0;
        while (wallSeconds() < end) {
            double t0 = wallSeconds();
            lines += uint64_t(vx::monitor::runPacketBatch());
            vx::monitor::exportTick();
            busy += wallSeconds() - t0;
        }
        closeMonitoring();
    });
    const double rate = busy > 0 ? double(lines) / busy : 0;
    uint64_t calls = 0;
    for (uint64_t c : hooks)
        calls += c;
    std::printf("  %llu ATUC lines in %.3f s of batches; %llu channel-value hook calls, %u export rows\n",
                (unsigned long long)lines, busy, (unsigned long long)calls,
                unsigned(vx::monitor::exportRows()));
    figure("monitor batch: ATUC lines/s (8 hooks, graph, export)", rate, "lines/s", ">= 5000", rate >= 5000);
    vx::ui::setBackend(nullptr);
}

// The monitor as its window runs it, at 2000 lines per second for `seconds`.
void steadyRun(int seconds) {
    Scratch scratch;
    CountingBackend counting;
    vx::ui::setBackend(&counting);
    SimLink link;
    std::vector<uint64_t> hooks;
    if (!prepare(link, "qm41,seed=9,nodes=8,channels=8,mon-rate=2000,mon-unknown=0.02", hooks))
        return vx::ui::setBackend(nullptr);
    double cpu = 0, wall = 0;
    uint64_t exportValues = 0;
    vx::shell::runMonitor(nullptr, [&] {
        startMonitoring();
        const double c0 = threadCpuSeconds(), w0 = wallSeconds();
        auto next = std::chrono::steady_clock::now();
        for (int tick = 0; tick < seconds * 10; ++tick) {
            next += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(next);
            vx::monitor::monitorTick();
        }
        cpu = threadCpuSeconds() - c0;
        wall = wallSeconds() - w0;
        exportValues = vx::monitor::monitorStats().exportValues;
        closeMonitoring();  // the lines still on their way are received, then "ATCM08"
    });
    const auto& got = vx::monitor::monitorStats();
    const uint64_t sent = sentLines(link);
    std::printf(
        "  %d s: %llu lines sent, %llu received, %llu packet lines in the monitor text (%llu decoded, "
        "%llu raw); %llu values shown while exporting, %llu in the export sums; %u export rows\n",
        seconds, (unsigned long long)sent, (unsigned long long)got.lines,
        (unsigned long long)counting.packetLines, (unsigned long long)got.dataSession,
        (unsigned long long)got.dataRaw, (unsigned long long)counting.valuesWhileExporting,
        (unsigned long long)exportValues, unsigned(vx::monitor::exportRows()));
    figure("monitor at 2000 lines/s: CPU / wall of the program thread", wall > 0 ? cpu / wall : 1, "ratio",
           "< 0.10", wall > 0 && cpu / wall < 0.10);
    const double lost = double(sent) - double(counting.packetLines);
    figure("monitor: lines sent but not in the monitor text", lost, "lines", "0", lost == 0 && sent > 0);
    const double missing = double(counting.valuesWhileExporting) - double(exportValues);
    figure("monitor: values shown but not in the export sums", missing, "values", "0",
           missing == 0 && exportValues > 0);
    vx::ui::setBackend(nullptr);
}

}  // namespace

void benchMonitor() {
    batchThroughput();
    const char* env = std::getenv("VENDRIX_BENCH_MONITOR_SECONDS");
    int seconds = env ? std::atoi(env) : 60;
    steadyRun(seconds > 0 ? seconds : 60);
}

}  // namespace vx::bench
