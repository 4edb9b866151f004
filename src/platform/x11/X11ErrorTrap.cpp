#include "platform/x11/X11ErrorTrap.h"

#include "platform/x11/X11ConnectionWatch.h"

namespace platform::x11 {

namespace {

X11ErrorTrap* innermostTrap = nullptr;

// A connection that broke takes no request, not even the sync.
bool usable(Display* display)
{
    return display != nullptr && !X11ConnectionWatch::lost(display);
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), previousHandler_(nullptr), outer_(innermostTrap)
{
    // Errors of requests made before the trap belong to whoever made them.
    if (usable(display_))
        XSync(display_, False);
    previousHandler_ = XSetErrorHandler(&X11ErrorTrap::onError);
    innermostTrap = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    if (usable(display_))
        XSync(display_, False);
    XSetErrorHandler(previousHandler_);
    innermostTrap = outer_;
}

bool X11ErrorTrap::failed()
{
    if (!usable(display_))
        return display_ != nullptr;
    XSync(display_, False);
    return errorCount_ > 0;
}

int X11ErrorTrap::onError(Display* display, XErrorEvent* event)
{
    for (X11ErrorTrap* trap = innermostTrap; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display) {
            if (trap->errorCount_++ == 0)
                trap->firstError_ = event->error_code;
            return 0;
        }
    }
    // Not ours: the handler that was there before the outermost trap.
    X11ErrorTrap* outermost = innermostTrap;
    while (outermost != nullptr && outermost->outer_ != nullptr)
        outermost = outermost->outer_;
    if (outermost != nullptr && outermost->previousHandler_ != nullptr)
        return outermost->previousHandler_(display, event);
    return 0;
}

} // namespace platform::x11
