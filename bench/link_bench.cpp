// Figures of the serial link: transaction overhead and CPU use while waiting, for each of
// the two serial backends; port scan.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "link/com.h"
#include "link/trace.h"
#include "session/page_access.h"
#include "shell/defaults.h"
#include "shell/port_scan.h"
#include "shell/program_trace.h"
#include "sim/fake_serial_port.h"

namespace vx::bench {
namespace {

// The serial backend the figures below it are taken with (VENDRIX_SERIAL for the scope),
// and for QSerialPort the application object that it wants.
class Backend {
  public:
    explicit Backend(bool qt) {
        if (const char* before = std::getenv("VENDRIX_SERIAL")) before_ = before;
        if (qt) {
            setenv("VENDRIX_SERIAL", "qt", 1);
            if (!QCoreApplication::instance()) {
                const std::string locale = std::setlocale(LC_ALL, nullptr);
                app_ = std::make_unique<QCoreApplication>(argc_, argv_);
                std::setlocale(LC_ALL, locale.c_str());  // the figures keep their decimal point
            }
        } else {
            unsetenv("VENDRIX_SERIAL");
        }
        std::printf("-- serial backend: %s\n", qt ? "QSerialPort" : "POSIX termios");
    }
    ~Backend() {
        if (before_.empty()) {
            unsetenv("VENDRIX_SERIAL");
        } else {
            setenv("VENDRIX_SERIAL", before_.c_str(), 1);
        }
    }

  private:
    std::string before_;
    int argc_ = 1;
    char name_[14] = "vendrix-bench";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

void transactionFigures() {
    initVAR();
    {
        SimLink link;
        if (!link.start("qm41,baud=0")) return;
        std::vector<double> rtt;
        for (int i = 0; i < 1000; ++i) {
            double t0 = wallSeconds();
            sendCOMMAND(hCom, "ATVR\r", 13);
            rtt.push_back(wallSeconds() - t0);
        }
        std::nth_element(rtt.begin(), rtt.begin() + 500, rtt.end());
        figure("ATVR round trip, unpaced simulator (median)", rtt[500] * 1e3, "ms", "< 0.1", rtt[500] < 1e-4);
    }
    {
        SimLink link;
        if (!link.start("qm41,baud=256000,bytewise=1")) return;
        uint64_t in0 = link.server->bytesIn(), out0 = link.server->bytesOut();
        int64_t wire0 = link.server->wireTimeNs();
        double t0 = wallSeconds();
        for (int i = 0; i < 1000; ++i)
            sendCOMMAND(hCom, "ATVR\r", 13);
        double wall = wallSeconds() - t0;
        double wire = double(link.server->wireTimeNs() - wire0) * 1e-9;
        (void)in0, (void)out0;
        figure("1000 x ATVR at 256000 baud: wall / wire time", wall / wire, "ratio", "<= 1.05",
               wall / wire <= 1.05);

        // The floor of this harness: the same exchange with bare system calls on the same
        // pty (no transaction logic), so the program's own share can be told apart from
        // the pseudo-terminal's round trip.
        int fd = ::open(link.server->path().c_str(), O_RDWR | O_NOCTTY);
        closePort(hCom);
        hCom = nullptr;
        wire0 = link.server->wireTimeNs();
        t0 = wallSeconds();
        char buf[64];
        for (int i = 0; i < 1000; ++i) {
            (void)!::write(fd, "ATVR\r", 5);
            size_t got = 0;
            while (got == 0 || buf[got - 1] != '\r') {
                pollfd p{fd, POLLIN, 0};
                ::poll(&p, 1, 1000);
                ssize_t n = ::read(fd, buf + got, sizeof buf - got);
                if (n > 0) got += size_t(n);
            }
        }
        double floorWall = wallSeconds() - t0;
        double floorWire = double(link.server->wireTimeNs() - wire0) * 1e-9;
        ::close(fd);
        figure("  the same with bare syscalls (harness floor): wall / wire", floorWall / floorWire, "ratio",
               "-", true);
        figure("  transaction cost over the floor", (wall / wire) / (floorWall / floorWire), "ratio",
               "<= 1.05", (wall / wire) / (floorWall / floorWire) <= 1.05);
    }
}

void idleCpuFigure() {
    initVAR();
    SimLink link;
    if (!link.start("qm41,baud=256000,pages=40,nodes=4")) return;  // 1 ms frames, as a USB adapter
    sendCOMMAND(hCom, "ATRD0000\r", 13);
    double c0 = threadCpuSeconds(), t0 = wallSeconds();
    int n = 0;
    while (wallSeconds() - t0 < 5.0) {
        sendCOMMAND(hCom, "ATRD\r", 'L');
        ++n;
    }
    double cpu = threadCpuSeconds() - c0, wall = wallSeconds() - t0;
    char name[96];
    std::snprintf(name, sizeof name, "CPU / wall, %d 48-byte transactions at 256000 baud", n);
    figure(name, 100.0 * cpu / wall, "%", "< 5", cpu / wall < 0.05);
}

// 48-byte reads from the unpaced simulator with the trace off or on (into a temporary
// file): transactions a second, and the program thread's CPU time for each, which shows
// the trace's own cost when other work on the machine blurs the wall time.
struct ReadFigures {
    double perSecond = 0, cpuUs = 0;
};

ReadFigures readFigures(bool traced) {
    const std::string file = (std::filesystem::temp_directory_path() / "vendrix-bench-trace.txt").string();
    vx::shell::TraceRun trace;
    if (traced && !trace.start(file, {"vendrix-bench", "link"})) return {};
    ReadFigures f;
    {
        SimLink link;
        if (!link.start("qm41,baud=0,pages=40,nodes=4")) return {};
        sendCOMMAND(hCom, "ATRD0000\r", 13);
        constexpr int kCount = 10000;
        const double c0 = threadCpuSeconds(), t0 = wallSeconds();
        int good = 0;
        for (int i = 0; i < kCount; ++i)
            good += sendCOMMAND(hCom, "ATRD\r", 'L');
        if (good != kCount) return {};
        f.perSecond = kCount / (wallSeconds() - t0);
        f.cpuUs = (threadCpuSeconds() - c0) * 1e6 / kCount;
    }
    const bool written = trace.finish();
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return written ? f : ReadFigures{};
}

// The same reads on the in-process fake port: no system call, no scheduling, only the
// program's own work (and, on, the trace's formatting and file writes).
double fakeReadRate(bool traced) {
    const std::string file = (std::filesystem::temp_directory_path() / "vendrix-bench-trace.txt").string();
    vx::shell::TraceRun trace;
    if (traced && !trace.start(file, {"vendrix-bench", "link"})) return 0;
    vx::sim::Options o;
    std::string err;
    std::shared_ptr<const vx::sim::Session> session;
    if (!vx::sim::parseSimSettings("qm41,pages=40,nodes=4", o, err)) return 0;
    std::unique_ptr<vx::link::SerialPort> port =
        std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err, &session));
    if (traced) port = vx::link::tracedPort(std::move(port));
    Timeout_rx = TO_RX_SLOW;
    sendCOMMAND(port.get(), "ATRD0000\r", 13);
    constexpr int kCount = 50000;
    int good = 0;
    const double t0 = wallSeconds();
    for (int i = 0; i < kCount; ++i)
        good += sendCOMMAND(port.get(), "ATRD\r", 'L');
    const double rate = kCount / (wallSeconds() - t0);
    port.reset();
    const bool written = trace.finish();
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return written && good == kCount ? rate : 0;
}

void traceFigures() {
    initVAR();
    // Alternated and the best of five kept, so that other work on the machine weighs the
    // same on both.
    ReadFigures off{0, 1e9}, on{0, 1e9};
    for (int round = 0; round < 5; ++round) {
        for (bool traced : {false, true}) {
            ReadFigures f = readFigures(traced);
            ReadFigures& best = traced ? on : off;
            if (f.perSecond == 0) return std::printf("-- the trace figures failed\n"), void();
            best.perSecond = std::max(best.perSecond, f.perSecond);
            best.cpuUs = std::min(best.cpuUs, f.cpuUs);
        }
    }
    figure("48-byte transactions / s, unpaced, trace off", off.perSecond, "1/s", "-", true);
    figure("48-byte transactions / s, unpaced, trace on (to a file)", on.perSecond, "1/s", "-", true);
    figure("  program CPU per transaction, trace off", off.cpuUs, "us", "-", true);
    figure("  program CPU per transaction, trace on", on.cpuUs, "us", "-", true);
    figure("  trace on / off: transactions / s", on.perSecond / off.perSecond, "ratio", "-", true);
    double fakeOff = 0, fakeOn = 0;
    for (int round = 0; round < 3; ++round) {
        fakeOff = std::max(fakeOff, fakeReadRate(false));
        fakeOn = std::max(fakeOn, fakeReadRate(true));
    }
    figure("48-byte transactions / s, in-process fake port, trace off", fakeOff, "1/s", "-", fakeOff > 0);
    figure("48-byte transactions / s, in-process fake port, trace on", fakeOn, "1/s", "> 100000",
           fakeOn > 1e5);
    figure("  trace cost per transaction", (1 / fakeOn - 1 / fakeOff) * 1e6, "us", "< 5",
           (1 / fakeOn - 1 / fakeOff) * 1e6 < 5);
}

}  // namespace

void benchTransactions() {
    for (bool qt : {false, true}) {
        Backend backend(qt);
        transactionFigures();
    }
    std::printf("-- protocol trace (POSIX termios)\n");
    traceFigures();
}

void benchIdleCpu() {
    for (bool qt : {false, true}) {
        Backend backend(qt);
        idleCpuFigure();
    }
}

void benchScan() {
    initVAR();
    std::vector<int> fds;
    std::string list;
    termios raw{};
    cfmakeraw(&raw);
    for (int i = 0; i < 50; ++i) {
        int m, s;
        char name[64];
        if (openpty(&m, &s, name, &raw, nullptr) != 0) break;
        fds.push_back(m), fds.push_back(s);
        if (!list.empty()) list += ':';
        list += name;
    }
    setenv("VENDRIX_PORTS", list.c_str(), 1);
    double t0 = wallSeconds();
    vx::shell::autoScanPorts(vx::shell::scanPortList());
    double silent = wallSeconds() - t0;
    figure("scan of 50 silent ports", silent, "s", "<= 5.5", silent <= 5.5);
    for (int fd : fds)
        close(fd);

    initVAR();
    list.clear();
    for (int i = 0; i < 50; ++i) {
        if (i) list += ':';
        list += "/dev/vx-absent-" + std::to_string(i);
    }
    setenv("VENDRIX_PORTS", list.c_str(), 1);
    t0 = wallSeconds();
    vx::shell::autoScanPorts(vx::shell::scanPortList());
    double absent = wallSeconds() - t0;
    figure("scan of 50 ports that do not exist", absent, "s", "< 0.1", absent < 0.1);
    unsetenv("VENDRIX_PORTS");
}

}  // namespace vx::bench
