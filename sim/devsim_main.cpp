// vendrix-devsim: a simulated logger, board, boot loader or modem on a pseudo-terminal.
// Prints "PORT <path>" as its first line, then serves until SIGTERM or SIGINT.

#include "options.h"
#include "pty_server.h"

#include <pthread.h>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace vx::sim;
    Options opt;
    bool help = false;
    std::string err;
    if (!parseArgs(argc, argv, opt, help, err)) {
        std::fprintf(stderr, "vendrix-devsim: %s\n\n%s", err.c_str(), usageText().c_str());
        return 2;
    }
    if (help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    std::shared_ptr<const Session> session;
    auto device = makeDevice(opt, err, &session);
    if (!device) {
        std::fprintf(stderr, "vendrix-devsim: %s\n", err.c_str());
        return 2;
    }

    // Signals go to sigwait() below: block them before the server thread exists so that it
    // inherits the mask. A parent may have left them ignored or blocked; reset that.
    for (int s : {SIGTERM, SIGINT, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(s, SIG_DFL);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    PtyServerConfig cfg;
    cfg.baud = opt.baud;
    cfg.mode = opt.mode;
    cfg.closeOnVanish = opt.closeOnVanish;
    PtyServer server(std::move(device), cfg);
    if (!server.start(&err)) {
        std::fprintf(stderr, "vendrix-devsim: %s\n", err.c_str());
        return 1;
    }
    std::printf("PORT %s\n", server.path().c_str());
    std::fflush(stdout);
    if (session)
        std::fprintf(stderr,
                     "vendrix-devsim: %s, %zu nodes, table page %04X, last page %04X, %d data pages, %zu "
                     "buffer bytes\n",
                     opt.profile.c_str(), session->nodes.size(), session->pageTab, session->pageLast,
                     session->totalPages(), session->tmpBuffer.size());

    int sig = 0;
    sigwait(&set, &sig);
    server.stop();
    std::fprintf(stderr, "vendrix-devsim: stopped by signal %d; %llu bytes in, %llu bytes out\n", sig,
                 (unsigned long long)server.bytesIn(), (unsigned long long)server.bytesOut());
    server.withDevice([](Device& d) {
        if (const LoggerDevice* logger = findLogger(d); logger && logger->monitorCounts().lines > 0) {
            const MonitorCounts& c = logger->monitorCounts();
            std::fprintf(stderr,
                         "vendrix-devsim: monitor lines sent %llu (ATUC %llu, ATBC %llu, ATNA %llu)\n",
                         (unsigned long long)c.lines, (unsigned long long)c.data,
                         (unsigned long long)c.broadcast, (unsigned long long)c.test);
        }
    });
    return 0;
}
