#ifndef _WIN32

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/process.h"

namespace vx::platform {

bool runProgramAndWait(const std::string& program, const std::string& argument, const std::string& folder,
                       const std::function<void()>& whileWaiting, std::string* error) {
    // The child reports a failed chdir or exec through a pipe that a successful exec closes.
    int report[2];
    if (pipe(report) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    fcntl(report[0], F_SETFD, FD_CLOEXEC);
    fcntl(report[1], F_SETFD, FD_CLOEXEC);
    const pid_t pid = fork();
    if (pid < 0) {
        if (error) *error = std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (pid == 0) {
        close(report[0]);
        int failed = 0;
        if (chdir(folder.c_str()) == 0) {
            char* args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
            execv(program.c_str(), args);
        }
        failed = errno;
        ssize_t ignored = write(report[1], &failed, sizeof failed);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int childErrno = 0;
    ssize_t got;
    do {
        got = read(report[0], &childErrno, sizeof childErrno);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        if (whileWaiting) whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (got == sizeof childErrno) {
        if (error) *error = std::strerror(childErrno);
        return false;
    }
    return true;
}

}  // namespace vx::platform

#endif
