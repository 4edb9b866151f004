#pragma once
// Waiting for one kind of event on a connection without losing the others:
// the matching event is taken out of the queue, everything else stays for
// the event pump. While waiting, the drag-and-drop traffic of every open
// editor window is served.
//
// GUI thread only.

#include <X11/Xlib.h>

#include <cstdint>

namespace platform::x11 {

using EventPredicate = Bool (*)(Display* display, XEvent* event, XPointer arg);

// True with the event in out when one matching arrived within timeoutMs.
bool waitForEvent(Display* display, EventPredicate predicate, XPointer arg, XEvent* out,
                  uint32_t timeoutMs);

// Takes the first queued event that matches (reading what the connection
// holds without blocking); false when none.
bool takeQueuedEvent(Display* display, EventPredicate predicate, XPointer arg, XEvent* out);

} // namespace platform::x11
