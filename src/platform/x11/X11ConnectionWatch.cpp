#include "platform/x11/X11ConnectionWatch.h"

#include "platform/Trace.h"

#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::x11 {

namespace {

using ExitHandler = void (*)(Display*, void*);
using SetExitHandler = void (*)(Display*, ExitHandler, void*);

constexpr char kLibraryName[] = "libX11.so.6";
constexpr char kExitHandlerSymbol[] = "XSetIOErrorExitHandler";
constexpr short kHangUp = POLLHUP | POLLERR | POLLNVAL | POLLRDHUP;

struct Entry {
    Display* display;
    bool lost;
};

struct State {
    std::mutex mutex;
    std::vector<Entry> entries;
    XIOErrorHandler previous = nullptr;
    bool installed = false;
    X11ConnectionWatch::TestOptions test;
};

State& state()
{
    static State s;
    return s;
}

// The recovery point readPending arms (fallback only), with the thread that
// armed it: only that thread jumps to it. No thread-local storage: a loaded
// module's would be allocated on the first use from every new thread.
sigjmp_buf g_recovery;
std::atomic<Display*> g_recoveryDisplay{nullptr};
std::atomic<std::thread::id> g_recoveryThread{};
// The thread that is calling the handler installed before ours: a handler
// installed after ours may call ours again from inside that one.
std::atomic<std::thread::id> g_chainingThread{};

SetExitHandler libraryExitHandler()
{
    // Looked up at run time: the module also loads into processes whose
    // libX11 predates the call.
    static const SetExitHandler function = [] {
        void* library = ::dlopen(kLibraryName, RTLD_NOW | RTLD_NOLOAD);
        if (library == nullptr)
            return SetExitHandler{nullptr};
        auto* found = reinterpret_cast<SetExitHandler>(::dlsym(library, kExitHandlerSymbol));
        ::dlclose(library);
        return found;
    }();
    return function;
}

SetExitHandler exitHandlerSetter()
{
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.test.withoutExitHandler ? nullptr : libraryExitHandler();
}

// Marks the connection lost; false when it is not one of ours.
bool markLost(Display* display)
{
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (Entry& entry : s.entries)
        if (entry.display == display) {
            const bool first = !entry.lost;
            entry.lost = true;
            if (first)
                debugOutput("X connection lost: the editor stops drawing\n");
            return true;
        }
    return false;
}

void onExit(Display* display, void*)
{
    // Returning lets Xlib unwind the call that met the broken connection.
    markLost(display);
}

int onIOError(Display* display)
{
    const std::thread::id self = std::this_thread::get_id();
    if (markLost(display)) {
        if (g_recoveryDisplay.load() == display && g_recoveryThread.load() == self) {
            g_recoveryDisplay.store(nullptr);
            siglongjmp(g_recovery, 1);
        }
        return 0;
    }
    if (g_chainingThread.load() == self)
        return 0;
    XIOErrorHandler previous = nullptr;
    {
        State& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        previous = s.previous;
    }
    std::thread::id nobody;
    const bool guarded = g_chainingThread.compare_exchange_strong(nobody, self);
    const int result = previous != nullptr ? previous(display) : 0;
    if (guarded)
        g_chainingThread.store(std::thread::id());
    return result;
}

// Puts our handler in front of whatever the process has now (called with
// the lock held).
void installHandler(State& s)
{
    const XIOErrorHandler current = XSetIOErrorHandler(&onIOError);
    if (current != &onIOError)
        s.previous = current;
    s.installed = true;
}

// Gives the process its handler back once no connection is watched (called
// with the lock held): the module may be unloaded afterwards.
void uninstallHandler(State& s)
{
    if (!s.installed || !s.entries.empty())
        return;
    const XIOErrorHandler current = XSetIOErrorHandler(s.previous);
    // A handler installed after ours stays.
    if (current != &onIOError)
        XSetIOErrorHandler(current);
    s.installed = false;
}

} // namespace

bool X11ConnectionWatch::watch(Display* display)
{
    if (display == nullptr)
        return false;
    const SetExitHandler setExitHandler = exitHandlerSetter();
    {
        State& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        const bool known = std::any_of(s.entries.begin(), s.entries.end(),
                                       [display](const Entry& e) { return e.display == display; });
        if (!known)
            s.entries.push_back(Entry{display, false});
        installHandler(s);
    }
    if (setExitHandler != nullptr)
        setExitHandler(display, &onExit, nullptr);
    return check(display);
}

bool X11ConnectionWatch::lost(Display* display)
{
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const Entry& entry : s.entries)
        if (entry.display == display)
            return entry.lost;
    return false;
}

bool X11ConnectionWatch::check(Display* display)
{
    if (display == nullptr)
        return false;
    if (lost(display))
        return false;
    {
        State& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.test.withoutSocketCheck)
            return true;
    }
    pollfd socket{};
    socket.fd = ConnectionNumber(display);
    socket.events = POLLRDHUP;
    if (::poll(&socket, 1, 0) > 0 && (socket.revents & kHangUp) != 0) {
        markLost(display);
        return false;
    }
    return true;
}

int X11ConnectionWatch::readPending(Display* display)
{
    if (!check(display))
        return -1;
    if (exitHandlerSetter() != nullptr) {
        const int pending = XPending(display);
        return lost(display) ? -1 : pending;
    }
    // Without the exit handler Xlib ends the process once the handler
    // returns: the handler jumps back here instead. Nothing between here and
    // Xlib has anything to clean up.
    Display* const volatile reading = display;
    if (sigsetjmp(g_recovery, 0) != 0) {
        g_recoveryDisplay.store(nullptr);
        return -1;
    }
    g_recoveryThread.store(std::this_thread::get_id());
    g_recoveryDisplay.store(reading);
    const int pending = XPending(reading);
    g_recoveryDisplay.store(nullptr);
    return pending;
}

void X11ConnectionWatch::close(Display* display)
{
    if (display == nullptr)
        return;
    check(display);
    const bool broken = lost(display);
    if (!broken || exitHandlerSetter() != nullptr) {
        // Still watched: a loss met while closing only marks it. With the
        // exit handler Xlib frees the connection without the server.
        XCloseDisplay(display);
    } else {
        // Xlib cannot close it without ending the process: the socket goes,
        // the rest stays.
        ::close(ConnectionNumber(display));
    }
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.entries.erase(std::remove_if(s.entries.begin(), s.entries.end(),
                                   [display](const Entry& e) { return e.display == display; }),
                    s.entries.end());
    uninstallHandler(s);
}

bool X11ConnectionWatch::haveExitHandler()
{
    return exitHandlerSetter() != nullptr;
}

void X11ConnectionWatch::setTestOptions(const TestOptions& options)
{
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.test = options;
}

int X11ConnectionWatch::watchedCount()
{
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return static_cast<int>(s.entries.size());
}

} // namespace platform::x11
