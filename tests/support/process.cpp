#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>

namespace vx::test {

std::string programPath(const std::string& name) {
    char self[PATH_MAX] = {0};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir(self, n > 0 ? size_t(n) : 0);
    return dir.substr(0, dir.rfind('/') + 1) + name;
}

ProcessResult runProgram(const std::string& path, const std::vector<std::string>& args,
                         const ProcessOptions& opts) {
    int outPipe[2], errPipe[2];
    ProcessResult r;
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return r;
    pid_t pid = fork();
    if (pid == 0) {
        // The test runner's handlers and mask are not the program's.
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGXFSZ, SIGPIPE})
            std::signal(sig, SIG_DFL);
        if (opts.fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG, as on a full disk
            rlimit lim{rlim_t(opts.fileSizeLimit), rlim_t(opts.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &lim);
        }
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        if (!opts.cwd.empty() && chdir(opts.cwd.c_str()) != 0) _exit(126);
        for (const std::string& e : opts.env)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    auto started = std::chrono::steady_clock::now();
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = 2;
    while (open > 0) {
        if (std::chrono::steady_clock::now() - started > opts.hangGuard) kill(pid, SIGKILL);
        if (poll(fds, 2, 20) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
                char buf[4096];
                ssize_t n = read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    sinks[i]->append(buf, size_t(n));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        if (opts.whileRunning && open > 0) opts.whileRunning(pid);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

}  // namespace vx::test
