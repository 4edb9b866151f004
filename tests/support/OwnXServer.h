#pragma once
// An X server of the test's own: Xvfb on a display number it picks itself,
// which the test can kill under its clients. Nothing else uses it.

#include <string>
#include <sys/types.h>

namespace testsupport {

class OwnXServer {
public:
    OwnXServer() = default;
    // Kills the server when it still runs.
    ~OwnXServer();
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    // Starts Xvfb and waits until it takes connections; false with the
    // reason when it cannot be started (Xvfb not installed, no answer).
    bool start(std::string& error);
    // ":N", the name clients connect to.
    const std::string& displayName() const { return name_; }
    // Kills the server at once (SIGKILL) and waits until it is gone.
    void kill();
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// A child process running a piece of the test: fork, then the child runs
// body, which may talk to the parent through the two pipes (toParent,
// fromParent), and ends with _exit (no static destructors, no leak check of
// objects the body left behind on purpose).
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the child; body returns its exit code. False when fork failed.
    bool start(int (*body)(int toParent, int fromParent, void* arg), void* arg);
    // The next line the child wrote (without its line feed); false when the
    // child ended or wrote nothing within timeoutMs.
    bool readLine(std::string& line, int timeoutMs);
    // Writes one line to the child.
    bool writeLine(const std::string& line);
    // Waits for the child's end: its exit code, or -signal when a signal
    // ended it, or -1000 when it did not end within timeoutMs (then it is
    // killed).
    int wait(int timeoutMs);

    // The child's side: one line to the parent, one line from it.
    static bool send(int toParent, const std::string& line);
    static bool receive(int fromParent, std::string& line, int timeoutMs);

private:
    pid_t pid_ = -1;
    int fromChild_ = -1;
    int toChild_ = -1;
    std::string buffered_;
};

} // namespace testsupport
