// vendrix-devsim as a separate process: first line "PORT <path>", serves the device on
// that path, exits cleanly on SIGTERM. Skipped when the program has not been built next
// to the test binary.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string devsimPath() {
    char self[PATH_MAX] = {0};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    std::string dir(self, size_t(n));
    dir = dir.substr(0, dir.rfind('/'));
    return dir + "/vendrix-devsim";
}

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child launch(const std::string& exe, std::vector<std::string> args) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        // The test runner may have its own handlers; the child gets the defaults.
        signal(SIGTERM, SIG_DFL);
        dup2(pipefd[1], 1);
        close(pipefd[0]);
        close(pipefd[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    return {pid, fdopen(pipefd[0], "r")};
}

std::string transact(int fd, const std::string& cmd, size_t n) {
    if (write(fd, cmd.data(), cmd.size()) != ssize_t(cmd.size())) return "<write failed>";
    std::string out;
    char buf[256];
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) break;
        ssize_t k = read(fd, buf, sizeof buf);
        if (k <= 0) break;
        out.append(buf, size_t(k));
    }
    return out;
}

TEST(SimDevsim, PrintsItsPortServesAndStopsOnSigterm) {
    std::string exe = devsimPath();
    if (access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << exe << " not built";
    Child c = launch(exe, {"qm43", "--fw", "12", "--nodes", "3", "--baud", "115200"});
    ASSERT_GT(c.pid, 0);
    ASSERT_NE(c.out, nullptr);
    char line[256] = {0};
    ASSERT_NE(fgets(line, sizeof line, c.out), nullptr);
    std::string first = line;
    ASSERT_EQ(first.rfind("PORT /dev/", 0), 0u) << first;
    std::string path = first.substr(5, first.size() - 6);

    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << path;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    EXPECT_EQ(transact(fd, "***", 3), "OK\r");
    EXPECT_EQ(transact(fd, "ATVR\r", 5), "B012\r");
    close(fd);

    kill(c.pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(c.pid, &status, 0), c.pid);
    EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fclose(c.out);
}

TEST(SimDevsim, RejectsBadArgumentsWithoutPrintingAPort) {
    std::string exe = devsimPath();
    if (access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << exe << " not built";
    Child c = launch(exe, {"qm41", "--nodes", "99"});
    char line[256];
    EXPECT_EQ(fgets(line, sizeof line, c.out), nullptr);
    int status = 0;
    waitpid(c.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    fclose(c.out);
}

}  // namespace
