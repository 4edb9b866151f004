#include "platform/x11/X11Wait.h"

#include "platform/Clock.h"
#include "platform/x11/X11Window.h"

#include <algorithm>
#include <poll.h>

namespace platform::x11 {

namespace {

// How long one sleep lasts at most, so that the other windows' connections
// are served meanwhile.
constexpr uint32_t kSliceMs = 5;

} // namespace

bool takeQueuedEvent(Display* display, EventPredicate predicate, XPointer arg, XEvent* out)
{
    XEventsQueued(display, QueuedAfterReading);
    return XCheckIfEvent(display, out, predicate, arg) != False;
}

bool waitForEvent(Display* display, EventPredicate predicate, XPointer arg, XEvent* out,
                  uint32_t timeoutMs)
{
    const uint64_t start = tickCount64();
    for (;;) {
        if (takeQueuedEvent(display, predicate, arg, out))
            return true;
        X11Window::serviceAllWindows();
        if (takeQueuedEvent(display, predicate, arg, out))
            return true;
        const uint64_t elapsed = tickCount64() - start;
        if (elapsed >= timeoutMs)
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(std::min<uint64_t>(kSliceMs, timeoutMs - elapsed)));
    }
}

} // namespace platform::x11
