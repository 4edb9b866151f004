#include "OwnXServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

// Generous: a loaded machine may take long to start a server.
constexpr int kStartTimeoutMs = 30000;
constexpr int kPollSliceMs = 50;

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads one line from fd into line (buffered keeps what came after it).
bool readLineFrom(int fd, std::string& buffered, std::string& line, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t end = buffered.find('\n');
        if (end != std::string::npos) {
            line = buffered.substr(0, end);
            buffered.erase(0, end + 1);
            return true;
        }
        const int left = msLeft(deadline);
        if (left == 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, left < kPollSliceMs ? left : kPollSliceMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char chunk[256];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffered.append(chunk, static_cast<size_t>(got));
    }
}

bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

OwnXServer::~OwnXServer()
{
    kill();
}

bool OwnXServer::start(std::string& error)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = "no pipe";
        return false;
    }
    // The server writes its display number into the pipe's write end.
    ::fcntl(fds[1], F_SETFD, 0);
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb",   "-displayfd", fd,         "-screen",
                                     "0",      "640x480x24", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        error = "Xvfb cannot be started (not installed?)";
        return false;
    }
    pid_ = pid;
    std::string buffered;
    std::string line;
    const bool answered = readLineFrom(fds[0], buffered, line, kStartTimeoutMs);
    ::close(fds[0]);
    if (!answered || line.empty()) {
        kill();
        error = "Xvfb did not say which display it serves";
        return false;
    }
    name_ = ":" + line;
    return true;
}

void OwnXServer::kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0)
        wait(0);
    if (fromChild_ >= 0)
        ::close(fromChild_);
    if (toChild_ >= 0)
        ::close(toChild_);
}

bool ChildProcess::start(int (*body)(int, int, void*), void* arg)
{
    int up[2];
    int down[2];
    if (::pipe2(up, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(down, O_CLOEXEC) != 0) {
        ::close(up[0]);
        ::close(up[1]);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(up[0]);
        ::close(down[1]);
        const int code = body(up[1], down[0], arg);
        ::_exit(code);
    }
    ::close(up[1]);
    ::close(down[0]);
    pid_ = pid;
    fromChild_ = up[0];
    toChild_ = down[1];
    return true;
}

bool ChildProcess::readLine(std::string& line, int timeoutMs)
{
    return fromChild_ >= 0 && readLineFrom(fromChild_, buffered_, line, timeoutMs);
}

bool ChildProcess::writeLine(const std::string& line)
{
    return toChild_ >= 0 && writeAll(toChild_, line + "\n");
}

int ChildProcess::wait(int timeoutMs)
{
    if (pid_ <= 0)
        return -1000;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (done < 0 && errno != EINTR)
            return -1000;
        if (msLeft(deadline) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1000;
        }
        ::poll(nullptr, 0, kPollSliceMs);
    }
    pid_ = -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return -WTERMSIG(status);
    return -1000;
}

bool ChildProcess::send(int toParent, const std::string& line)
{
    return writeAll(toParent, line + "\n");
}

bool ChildProcess::receive(int fromParent, std::string& line, int timeoutMs)
{
    std::string buffered;
    return readLineFrom(fromParent, buffered, line, timeoutMs);
}

} // namespace testsupport
