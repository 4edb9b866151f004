#include "platform/x11/X11DragSender.h"

#include "platform/Clock.h"
#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>

namespace platform::x11 {

namespace {

constexpr int kOurVersion = 5;
constexpr int kOldestVersion = 3;
constexpr int kVersionShift = 24;
constexpr long kAcceptBit = 1;
constexpr int kCoordinateShift = 16;
constexpr long kCoordinateMask = 0xffff;
// A window tree deeper than this is not followed.
constexpr int kMaxTreeDepth = 64;
// Room kept for the request's own header when the data goes in one piece.
constexpr long kRequestHeaderBytes = 1024;
constexpr unsigned int kAnyButtonMask =
    Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;
constexpr unsigned int kGrabbedEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

} // namespace

X11DragSender::Target X11DragSender::findTarget(int rootX, int rootY)
{
    if (!usable())
        return Target{};
    Display* display = window_.display();
    const Window root = DefaultRootWindow(display);
    X11ErrorTrap trap(display);
    Window current = root;
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        Window child = 0;
        int x = 0, y = 0;
        if (!XTranslateCoordinates(display, root, current, rootX, rootY, &x, &y, &child) ||
            child == None)
            break;
        current = child;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, current, window_.atoms().xdndAware, 0, 1, False, XA_ATOM,
                               &type, &format, &count, &after, &data) == Success &&
            data != nullptr) {
            const long version = count == 1 && format == 32 ? *reinterpret_cast<long*>(data) : 0;
            XFree(data);
            if (version >= kOldestVersion)
                return Target{current, std::min<int>(int(version), kOurVersion)};
        }
    }
    return Target{};
}

void X11DragSender::sendMessage(Atom type, long l1, long l2, long l3, long l4)
{
    if (!usable())
        return;
    Display* display = window_.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target_.window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_.window());
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    X11ErrorTrap trap(display);
    XSendEvent(display, target_.window, False, NoEventMask, &event);
}

void X11DragSender::leaveTarget()
{
    if (target_.window != 0)
        sendMessage(window_.atoms().xdndLeave, 0, 0, 0, 0);
    target_ = Target{};
    statusPending_ = accepted_ = positionPending_ = false;
}

void X11DragSender::moveTo(int rootX, int rootY, Time time)
{
    const Target found = findTarget(rootX, rootY);
    if (found.window != target_.window) {
        leaveTarget();
        target_ = found;
        if (target_.window != 0)
            sendMessage(window_.atoms().xdndEnter, long(target_.version) << kVersionShift,
                        static_cast<long>(window_.atoms().privateData), None, None);
    }
    if (target_.window == 0)
        return;
    // One position at a time: the next goes when the status has come.
    if (statusPending_) {
        positionPending_ = true;
        pendingX_ = rootX;
        pendingY_ = rootY;
        pendingTime_ = time;
        return;
    }
    statusPending_ = true;
    positionPending_ = false;
    sendMessage(window_.atoms().xdndPosition, 0,
                ((long(rootX) & kCoordinateMask) << kCoordinateShift) |
                    (long(rootY) & kCoordinateMask),
                static_cast<long>(time), static_cast<long>(window_.atoms().xdndActionCopy));
}

void X11DragSender::handleMessage(const XClientMessageEvent& message)
{
    const Window from = static_cast<Window>(message.data.l[0]);
    if (phase_ == Phase::kIdle || target_.window == 0 || from != target_.window)
        return;
    if (message.message_type == window_.atoms().xdndStatus) {
        statusPending_ = false;
        accepted_ = (message.data.l[1] & kAcceptBit) != 0;
        // The latest position goes first: the drop lands where released.
        if (positionPending_) {
            moveTo(pendingX_, pendingY_, pendingTime_);
            return;
        }
        if (phase_ == Phase::kAwaitStatus) {
            if (accepted_) {
                drop();
            } else {
                leaveTarget();
                finish(DragResult::Refused, true);
            }
        }
    } else if (message.message_type == window_.atoms().xdndFinished) {
        if (phase_ != Phase::kAwaitFinished)
            return;
        finishedAccepted_ = target_.version < kOurVersion || (message.data.l[1] & kAcceptBit);
        target_ = Target{};
        finish(finishedAccepted_ ? DragResult::Dropped : DragResult::Refused, true);
    }
}

void X11DragSender::serveRequest(const XSelectionRequestEvent& request)
{
    Display* display = window_.display();
    const X11Atoms& atoms = window_.atoms();
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    const size_t piece = largestPiece();
    X11ErrorTrap trap(display);
    if (request.selection == atoms.xdndSelection && request.owner == window_.window() &&
        phase_ != Phase::kIdle) {
        if (request.target == atoms.targets) {
            const Atom offered[] = {atoms.targets, atoms.privateData};
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 2);
            reply.xselection.property = property;
        } else if (request.target == atoms.privateData) {
            if (data_.size() <= piece) {
                XChangeProperty(display, request.requestor, property, atoms.privateData, 8,
                                PropModeReplace, data_.data(), static_cast<int>(data_.size()));
                reply.xselection.property = property;
            } else if (!outgoing_.active) {
                // Too long for one request: announced with INCR, then sent in
                // pieces, each when the requestor has deleted the last.
                if (request.requestor != window_.window())
                    XSelectInput(display, request.requestor, PropertyChangeMask);
                const long total = static_cast<long>(data_.size());
                XChangeProperty(display, request.requestor, property, atoms.incr, 32,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(&total), 1);
                outgoing_ = Outgoing{request.requestor, property, 0, true};
                reply.xselection.property = property;
            } else {
                debugOutput("drag: a second piecewise transfer is refused\n");
            }
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
}

size_t X11DragSender::largestPiece() const
{
    if (largestPieceForTests_ != 0)
        return largestPieceForTests_;
    Display* display = window_.display();
    const long units = XExtendedMaxRequestSize(display) > 0 ? XExtendedMaxRequestSize(display)
                                                            : XMaxRequestSize(display);
    return static_cast<size_t>(units) * 4 - kRequestHeaderBytes;
}

bool X11DragSender::wantsPropertyEvent(const XPropertyEvent& event) const
{
    return outgoing_.active && event.window == outgoing_.requestor &&
           event.atom == outgoing_.property && event.state == PropertyDelete;
}

void X11DragSender::handlePropertyEvent(const XPropertyEvent& event)
{
    if (!wantsPropertyEvent(event))
        return;
    Display* display = window_.display();
    const size_t count = std::min(largestPiece(), data_.size() - outgoing_.sent);
    X11ErrorTrap trap(display);
    XChangeProperty(display, outgoing_.requestor, outgoing_.property, window_.atoms().privateData,
                    8, PropModeReplace, data_.data() + outgoing_.sent, static_cast<int>(count));
    outgoing_.sent += count;
    // The empty piece ends the transfer.
    if (count == 0)
        endOutgoing();
}

void X11DragSender::endOutgoing()
{
    if (!outgoing_.active)
        return;
    if (outgoing_.requestor != window_.window() && usable()) {
        X11ErrorTrap trap(window_.display());
        XSelectInput(window_.display(), outgoing_.requestor, NoEventMask);
    }
    outgoing_ = Outgoing{};
}

bool X11DragSender::usable() const
{
    return window_.display() != nullptr && !X11ConnectionWatch::lost(window_.display());
}

bool X11DragSender::start(const uint8_t* data, size_t size, DragSourceClient* client)
{
    if (phase_ != Phase::kIdle || !window_.alive() || !usable())
        return false;
    Display* display = window_.display();
    const Window window = window_.window();
    {
        X11ErrorTrap trap(display);
        XSetSelectionOwner(display, window_.atoms().xdndSelection, window, CurrentTime);
        const bool owner =
            XGetSelectionOwner(display, window_.atoms().xdndSelection) == window && !trap.failed();
        if (!owner) {
            debugOutput("drag: can't own the drag selection\n");
            return false;
        }
        if (XGrabPointer(display, window, False, kGrabbedEvents, GrabModeAsync, GrabModeAsync, None,
                         None, CurrentTime) != GrabSuccess) {
            debugOutput("drag: can't grab the pointer\n");
            XSetSelectionOwner(display, window_.atoms().xdndSelection, None, CurrentTime);
            return false;
        }
        XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        XFlush(display);
    }
    data_.assign(data, data + size);
    client_ = client;
    phase_ = Phase::kDragging;
    target_ = Target{};
    statusPending_ = accepted_ = positionPending_ = finishedAccepted_ = false;
    waitTimed_ = false;
    lastCheckMs_ = tickCount();
    return true;
}

X11DragSender::~X11DragSender()
{
    cancel();
}

void X11DragSender::cancel()
{
    if (phase_ == Phase::kIdle)
        return;
    if (phase_ != Phase::kAwaitFinished)
        leaveTarget();
    finish(DragResult::Cancelled, false);
}

bool X11DragSender::handleEvent(const XEvent& event)
{
    if (phase_ == Phase::kIdle || event.xany.window != window_.window())
        return false;
    switch (event.type) {
    case MotionNotify:
        if (phase_ == Phase::kDragging)
            moveTo(event.xmotion.x_root, event.xmotion.y_root, event.xmotion.time);
        return true;
    case ButtonRelease:
        if (phase_ == Phase::kDragging)
            released(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.time);
        return true;
    case ButtonPress:
    case KeyRelease:
        return true;
    case KeyPress: {
        XKeyEvent key = event.xkey;
        if (phase_ == Phase::kDragging && XLookupKeysym(&key, 0) == XK_Escape) {
            leaveTarget();
            finish(DragResult::Cancelled, true);
        }
        return true;
    }
    default:
        return false;
    }
}

void X11DragSender::released(int rootX, int rootY, Time time)
{
    moveTo(rootX, rootY, time);
    if (target_.window == 0) {
        finish(DragResult::Refused, true);
        return;
    }
    dropTime_ = time;
    waitTimed_ = false;
    // A status still on its way decides whether the drop is welcome.
    if (statusPending_) {
        phase_ = Phase::kAwaitStatus;
        return;
    }
    if (!accepted_) {
        leaveTarget();
        finish(DragResult::Refused, true);
        return;
    }
    drop();
}

void X11DragSender::drop()
{
    phase_ = Phase::kAwaitFinished;
    waitTimed_ = false;
    finishedAccepted_ = false;
    // The pointer and the keys are free again while the target reads.
    if (usable()) {
        X11ErrorTrap trap(window_.display());
        XUngrabPointer(window_.display(), CurrentTime);
        XUngrabKeyboard(window_.display(), CurrentTime);
        XFlush(window_.display());
    }
    sendMessage(window_.atoms().xdndDrop, 0, static_cast<long>(dropTime_), 0, 0);
}

void X11DragSender::tick(uint32_t nowMs)
{
    switch (phase_) {
    case Phase::kIdle:
        return;
    case Phase::kDragging: {
        if (nowMs - lastCheckMs_ < kButtonCheckMs)
            return;
        lastCheckMs_ = nowMs;
        // A release we never saw (the grab was broken) ends the drag.
        if (!usable() || !window_.alive()) {
            finish(DragResult::Refused, true);
            return;
        }
        Display* display = window_.display();
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        X11ErrorTrap trap(display);
        const bool queried =
            XQueryPointer(display, window_.window(), &root, &child, &rx, &ry, &wx, &wy, &mask);
        if (trap.failed() || (queried && !(mask & kAnyButtonMask))) {
            leaveTarget();
            finish(DragResult::Refused, true);
        }
        return;
    }
    case Phase::kAwaitStatus:
    case Phase::kAwaitFinished:
        if (!waitTimed_) {
            waitTimed_ = true;
            waitSinceMs_ = nowMs;
            return;
        }
        if (nowMs - waitSinceMs_ <
            (finishTimeoutForTests_ != 0 ? finishTimeoutForTests_ : kFinishTimeoutMs))
            return;
        debugOutput("drag: the target did not finish the drop\n");
        if (phase_ == Phase::kAwaitStatus)
            leaveTarget();
        target_ = Target{};
        finish(DragResult::Refused, true);
        return;
    }
}

void X11DragSender::finish(DragResult result, bool tell)
{
    DragSourceClient* client = client_;
    client_ = nullptr;
    phase_ = Phase::kIdle;
    if (usable()) {
        Display* display = window_.display();
        X11ErrorTrap trap(display);
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        XSetSelectionOwner(display, window_.atoms().xdndSelection, None, CurrentTime);
        XFlush(display);
    }
    endOutgoing();
    target_ = Target{};
    data_.clear();
    if (tell && client != nullptr)
        client->dragEnded(result);
}

} // namespace platform::x11
