#pragma once
// Keeps X errors caused by our own requests away from the host's error
// handler: while a trap lives, errors on its connection are recorded instead
// of reported; its end syncs with the server (so every error of the requests
// made meanwhile has arrived) and puts the previous handler back. Errors on
// other connections (the host's) go on to the previous handler. Traps nest.
//
// GUI thread only.

#include <X11/Xlib.h>

namespace platform::x11 {

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Syncs and tells whether any request since the trap began failed (true
    // too once the connection is lost).
    bool failed();
    // The first error code caught (Success when none).
    int firstError() const { return firstError_; }
    int errorCount() const { return errorCount_; }

private:
    static int onError(Display* display, XErrorEvent* event);

    Display* display_;
    XErrorHandler previousHandler_;
    X11ErrorTrap* outer_;
    int firstError_ = Success;
    int errorCount_ = 0;
};

} // namespace platform::x11
