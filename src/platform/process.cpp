#include "platform/process.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

namespace vx::platform {

#ifdef _WIN32

bool runProgramAndWait(const std::string& program, const std::string& argument, const std::string& folder,
                       const std::function<void()>& whileWaiting, std::string* error) {
    std::string command = "\"" + program + "\" \"" + argument + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        if (error) *error = "Windows error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT)
        if (whileWaiting) whileWaiting();
    CloseHandle(pi.hProcess);
    return true;
}

#else

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

#endif

}  // namespace vx::platform
