#include "platform/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr size_t kReadChunk = 4096;

// Closes both ends of a pipe that are still open.
struct Pipe {
    int fd[2] = {-1, -1};
    ~Pipe()
    {
        for (int& f : fd)
            if (f >= 0)
                ::close(f);
    }
    void closeEnd(int i)
    {
        if (fd[i] >= 0)
            ::close(fd[i]);
        fd[i] = -1;
    }
};

} // namespace

bool runToEnd(const std::vector<std::string>& arguments, std::string& output, int& exitCode,
              std::string& error)
{
    output.clear();
    exitCode = -1;
    if (arguments.empty() || arguments[0].empty()) {
        error = "no program to run";
        return false;
    }
    Pipe pipe;
    if (::pipe2(pipe.fd, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe.fd[1], STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = "can't start " + arguments[0] + ": " + std::strerror(spawned);
        return false;
    }
    pipe.closeEnd(1);

    char chunk[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(pipe.fd[0], chunk, sizeof chunk);
        if (n > 0) {
            const size_t room = kMaxChildOutput - std::min(output.size(), kMaxChildOutput);
            output.append(chunk, std::min(size_t(n), room));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("waitpid: ") + std::strerror(errno);
            return false;
        }
    }
    if (!WIFEXITED(status)) {
        error = arguments[0] + " did not exit normally";
        return false;
    }
    exitCode = WEXITSTATUS(status);
    return true;
}

} // namespace platform
