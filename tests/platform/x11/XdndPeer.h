#pragma once
// A small XDND peer of the tests' own, run in a child process with its own
// connection to the display, so that it answers whatever the test's process
// is doing. It reports what happened as text lines through a pipe.

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace x11test {

class XdndPeer {
public:
    ~XdndPeer();

    // A source that drags bytes of the given type onto target at the root
    // point: enter, position, drop (even when refused, to see the refusal),
    // then serves the selection (in INCR pieces of incrChunk bytes when
    // incrChunk is not 0) until the target finishes.
    // Reports "status <accepted>", "finished <accepted> <action: copy, move
    // or none>", "done".
    void startSource(Window target, int rootX, int rootY, const std::string& type,
                     std::vector<uint8_t> bytes, size_t incrChunk);

    // For a source started after: announce these types through the
    // XdndTypeList property instead of the type alone.
    void listTypes(std::vector<std::string> types) { listedTypes_ = std::move(types); }
    // For a source started after: announce INCR and then send nothing.
    void stallAfterAnnouncing() { stall_ = true; }
    // For a source started after: wait this long before each INCR piece.
    void pauseBeforePieces(int ms) { piecePauseMs_ = ms; }

    // A target window at (x, y) of the given size, XDND version 5 aware, that
    // accepts drags offering the private type and reads them on a drop.
    // Reports "ready", "enter <types>", "targets <names>", "drop <hex bytes>",
    // "leave".
    void startTarget(int x, int y, int width, int height);
    // For a target started after: read a drop but never tell the source it
    // finished (reports "drop held" and exits).
    void neverFinish() { neverFinish_ = true; }

    // How long the test waits for the peer at most, and the peer for the
    // window under test: far longer than anything takes even on a loaded
    // machine, so they only end a test that would otherwise wait for ever.
    static constexpr int kPatientMs = 90000;
    static constexpr int kPeerPatientMs = 60000;

    // The next line reported, "" when none came within timeoutMs (0: only
    // what has arrived).
    std::string readLine(int timeoutMs = kPatientMs);
    // Whether the peer has exited (reaped).
    bool finished();
    // Waits for the peer's exit; its status (-1 on timeout, the peer killed).
    int wait(int timeoutMs = kPatientMs);

private:
    void start(void (*body)(XdndPeer& peer, Display* display));
    void say(const std::string& line);

    pid_t pid_ = -1;
    int readFd_ = -1;
    int writeFd_ = -1;
    std::string buffered_;
    int exitStatus_ = -1;
    // Arguments of the child's role.
    Window target_ = 0;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    std::string type_;
    std::vector<uint8_t> bytes_;
    size_t incrChunk_ = 0;
    std::vector<std::string> listedTypes_;
    bool stall_ = false;
    int piecePauseMs_ = 0;
    bool neverFinish_ = false;

    static void runSource(XdndPeer& peer, Display* display);
    static void runTarget(XdndPeer& peer, Display* display);
};

std::string toHex(const std::vector<uint8_t>& bytes);

} // namespace x11test
