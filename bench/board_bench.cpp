// The board's figures at 19200 baud against the simulated VT71a: reading and showing the
// whole configuration (image, operating state, the display boards' detection) and the
// inverter report for 20 inverters, each against the time its bytes need on the line.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/board_text.h"
#include "boards/display_board.h"
#include "boards/inverter_report.h"
#include "link/com.h"
#include "shell/defaults.h"
#include "ui/scripted_backend.h"

namespace vx::bench {
namespace {

// Wall time of `work` over the line time of the bytes it moved, both ways.
template <class Work>
double wallOverWire(SimLink& link, Work work, bool* ok) {
    const int64_t wire0 = link.server->wireTimeNs();
    const double t0 = wallSeconds();
    *ok = work();
    const double wall = wallSeconds() - t0;
    const double wire = double(link.server->wireTimeNs() - wire0) * 1e-9;
    return wire > 0 ? wall / wire : 0;
}

// The floor of the harness: the same commands with bare system calls on the same pty,
// each answer read up to its CR, so the program's own share can be told apart from the
// pseudo-terminal's and the scheduler's.
double bareFloor(SimLink& link, const std::vector<std::string>& commands) {
    closePort(hCom);
    hCom = nullptr;
    const int fd = ::open(link.server->path().c_str(), O_RDWR | O_NOCTTY);
    const int64_t wire0 = link.server->wireTimeNs();
    const double t0 = wallSeconds();
    char buf[256];
    for (const std::string& c : commands) {
        (void)!::write(fd, c.data(), c.size());
        size_t got = 0;
        while (got == 0 || buf[got - 1] != '\r') {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            const ssize_t n = ::read(fd, buf + got, sizeof buf - got);
            if (n > 0) got += size_t(n);
        }
    }
    const double wall = wallSeconds() - t0;
    const double wire = double(link.server->wireTimeNs() - wire0) * 1e-9;
    ::close(fd);
    return wire > 0 ? wall / wire : 0;
}

void configurationFigure() {
    initVAR();
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    SimLink link;
    // VT71h boards: the detection asks all eight codes (a VT75h system stops at the first).
    if (link.start("vt71,baud=19200,displays=8,display-family=vt71h")) {
        std::string shown;
        bool ok = false;
        const double ratio = wallOverWire(
            link,
            [&] {
                initParcfg();
                if (loadParcfg() != 0 || detect_Slave_board() != 1) return false;
                shown = vx::boards::boardTextDescription(EE);
                return Slave_board == SLAVE_VT71H;
            },
            &ok);
        if (!ok) std::fprintf(stderr, "the configuration was not read\n");
        figure("Whole configuration at 19200 baud: wall / wire time", ratio, "ratio", "<= 1.1",
               ok && ratio <= 1.1);
        std::vector<std::string> commands = {"ATRD00FF\r", "ATEE\r", "ATOS\r", "ATSD0003\r"};
        for (int cd = 0; cd < 8; ++cd)
            commands.push_back(vx::ui::format("ATSD%02X01\r", cd));
        const double floor = bareFloor(link, commands);
        figure("  the same with bare syscalls (harness floor): wall / wire", floor, "ratio", "-", true);
        figure("  the program's cost over the floor", ratio / floor, "ratio", "<= 1.05",
               ratio / floor <= 1.05);
    }
    vx::ui::setBackend(nullptr);
}

void inverterFigure() {
    initVAR();
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    SimLink link;
    if (link.start("vt71,baud=19200,inverters=20")) {
        bool ok = false;
        const double ratio = wallOverWire(
            link, [&] { return refresh_dati_inv({}, uint16_t(0x0100 | 20)) == 1 && ui.messages.empty(); },
            &ok);
        if (!ok) std::fprintf(stderr, "the inverter report was not complete\n");
        figure("Inverter report, 20 inverters at 19200 baud: wall / wire", ratio, "ratio", "<= 1.1",
               ok && ratio <= 1.1);
    }
    vx::ui::setBackend(nullptr);
}

}  // namespace

void benchBoards() {
    configurationFigure();
    inverterFigure();
}

}  // namespace vx::bench
