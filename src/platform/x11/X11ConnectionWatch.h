#pragma once
// Keeps a lost X server from ending the process through one of our
// connections. Xlib's answer to a broken connection is exit(1) (its default
// I/O-error handler, and since libX11 1.7 its default per-display exit
// handler); a plug-in must never end its host. A watched connection gets an
// exit handler of its own, and the process-wide I/O-error handler is wrapped
// so that for a watched connection it only marks it lost (for every other
// connection, the host's, the handler that was there before runs as it
// would have). A lost connection takes no request any more: its owner stops
// drawing and closes it with close(), which frees what can be freed without
// the server.
//
// Where libX11 has no per-display exit handler (before 1.7), returning from
// the I/O-error handler ends the process; there the loss is looked for on
// the socket before each use (check), and the event pump reads the
// connection inside a recovery point (readPending) that the handler jumps
// back to.
//
// GUI thread only (the process-wide handler may run on any thread and only
// reads the list under its lock).

#include <X11/Xlib.h>

namespace platform::x11 {

class X11ConnectionWatch {
public:
    // Watches the connection (before any other request on it). Returns
    // false when the connection is already broken.
    static bool watch(Display* display);
    // True once the connection was found broken.
    static bool lost(Display* display);
    // Looks at the connection's socket without reading from it: a server that
    // hung up or a broken socket marks it lost. True when it is (still) usable.
    static bool check(Display* display);
    // XPending inside a recovery point: the number of events queued, or -1
    // when the connection broke (it is marked lost).
    static int readPending(Display* display);
    // Stops watching and closes the connection: XCloseDisplay while it is
    // usable; after a loss, what is left without the server (the socket, and
    // the memory where Xlib can still free it).
    static void close(Display* display);

    // Whether this libX11 offers the per-display exit handler.
    static bool haveExitHandler();
    // Connections watched now.
    static int watchedCount();

    // For tests: behave as on a libX11 without the exit handler, and leave
    // the socket unlooked at, so that Xlib meets the loss itself.
    struct TestOptions {
        bool withoutExitHandler = false;
        bool withoutSocketCheck = false;
    };
    static void setTestOptions(const TestOptions& options);
};

} // namespace platform::x11
