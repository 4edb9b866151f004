#pragma once
// Every X atom the editor's window needs, interned once per connection in one
// round trip when the connection opens.

#include <X11/Xlib.h>

namespace platform::x11 {

struct X11Atoms {
    Atom xdndAware = None;
    Atom xdndEnter = None;
    Atom xdndPosition = None;
    Atom xdndStatus = None;
    Atom xdndLeave = None;
    Atom xdndDrop = None;
    Atom xdndFinished = None;
    Atom xdndSelection = None;
    Atom xdndTypeList = None;
    Atom xdndActionCopy = None;
    Atom xdndActionMove = None;
    Atom targets = None;
    Atom incr = None;
    Atom privateData = None; // the private data type
    Atom transfer = None;    // the property our incoming transfers land in
    Atom wmProtocols = None;
    Atom wmDeleteWindow = None;

    // Interns them all; false when the server refused.
    bool intern(Display* display);
};

} // namespace platform::x11
