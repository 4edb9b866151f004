#include "platform/x11/X11DropReceiver.h"

#include "platform/Clock.h"
#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11EventTranslator.h"
#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>

#include <algorithm>

namespace platform::x11 {

namespace {

constexpr int kOldestVersion = 3;
constexpr int kVersionShift = 24;
constexpr long kMoreThanThreeTypes = 1;
constexpr long kAcceptBit = 1;
constexpr long kSendPositionsBit = 2;
constexpr int kCoordinateShift = 16;
constexpr long kCoordinateMask = 0xffff;
constexpr long kMaxTypeListAtoms = 256;
constexpr long kWholeProperty = 0x7fffffff / 4;

} // namespace

X11DropReceiver::~X11DropReceiver()
{
    // The editor is going away: nothing of the drop is taken any more.
    if (busy() && usable())
        sendFinished(drag_.source, DropResult::Refused);
}

bool X11DropReceiver::usable() const
{
    return window_.display() != nullptr && !X11ConnectionWatch::lost(window_.display());
}

void X11DropReceiver::setTarget(DropTarget* target)
{
    if (target_ != nullptr && target != target_ && drag_.accepted && !busy())
        target_->dragLeave();
    target_ = target;
}

void X11DropReceiver::handleMessage(const XClientMessageEvent& message)
{
    // While a drop is fetched or decided, other sources are turned away;
    // its own source has nothing to say until it hears the outcome.
    if (busy()) {
        if (static_cast<Window>(message.data.l[0]) != drag_.source)
            answerOtherSource(message);
        return;
    }
    const X11Atoms& atoms = window_.atoms();
    if (message.message_type == atoms.xdndEnter)
        enter(message);
    else if (message.message_type == atoms.xdndPosition)
        position(message);
    else if (message.message_type == atoms.xdndLeave)
        leave();
    else if (message.message_type == atoms.xdndDrop)
        drop(message);
}

void X11DropReceiver::answerOtherSource(const XClientMessageEvent& message)
{
    const Window source = static_cast<Window>(message.data.l[0]);
    if (message.message_type == window_.atoms().xdndPosition)
        sendStatus(source, false);
    else if (message.message_type == window_.atoms().xdndDrop)
        sendFinished(source, DropResult::Refused);
}

bool X11DropReceiver::typeListOffersOurs(Window source)
{
    Display* display = window_.display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    X11ErrorTrap trap(display);
    if (XGetWindowProperty(display, source, window_.atoms().xdndTypeList, 0, kMaxTypeListAtoms,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (type == XA_ATOM && format == 32) {
            const auto* list = reinterpret_cast<const Atom*>(data);
            found = std::find(list, list + count, window_.atoms().privateData) != list + count;
        }
        XFree(data);
    }
    return found && !trap.failed();
}

void X11DropReceiver::enter(const XClientMessageEvent& message)
{
    if (drag_.accepted && target_ != nullptr)
        target_->dragLeave();
    drag_ = Drag{};
    drag_.source = static_cast<Window>(message.data.l[0]);
    drag_.version =
        static_cast<int>(static_cast<unsigned long>(message.data.l[1]) >> kVersionShift);
    if (drag_.version < kOldestVersion)
        return;
    if (message.data.l[1] & kMoreThanThreeTypes) {
        drag_.offersOurType = typeListOffersOurs(drag_.source);
    } else {
        for (int i = 2; i <= 4; ++i)
            if (static_cast<Atom>(message.data.l[i]) == window_.atoms().privateData)
                drag_.offersOurType = true;
    }
}

bool X11DropReceiver::insideWindow(int x, int y) const
{
    return x >= 0 && y >= 0 && x < window_.width() && y < window_.height();
}

void X11DropReceiver::position(const XClientMessageEvent& message)
{
    if (static_cast<Window>(message.data.l[0]) != drag_.source || drag_.source == 0)
        return;
    Display* display = window_.display();
    const int rootX = static_cast<int>((message.data.l[2] >> kCoordinateShift) & kCoordinateMask);
    const int rootY = static_cast<int>(message.data.l[2] & kCoordinateMask);
    bool located = false;
    {
        X11ErrorTrap trap(display);
        Window child = 0;
        int x = 0, y = 0;
        if (XTranslateCoordinates(display, DefaultRootWindow(display), window_.window(), rootX,
                                  rootY, &x, &y, &child)) {
            drag_.x = x;
            drag_.y = y;
            located = true;
        }
        Window root = 0, inner = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, window_.window(), &root, &inner, &rx, &ry, &wx, &wy, &mask))
            drag_.modifiers = modifiersOfState(mask);
        located = located && !trap.failed();
    }
    // A point outside the window lands nowhere: the editor is not asked.
    bool accept = false;
    if (drag_.offersOurType && target_ != nullptr && located && insideWindow(drag_.x, drag_.y))
        accept = target_->dragOver(drag_.x, drag_.y, drag_.modifiers);
    if (drag_.accepted && !accept && target_ != nullptr)
        target_->dragLeave();
    drag_.accepted = accept;
    sendStatus(drag_.source, accept);
}

void X11DropReceiver::leave()
{
    if (drag_.accepted && target_ != nullptr)
        target_->dragLeave();
    drag_ = Drag{};
}

void X11DropReceiver::drop(const XClientMessageEvent& message)
{
    if (static_cast<Window>(message.data.l[0]) != drag_.source || drag_.source == 0)
        return;
    if (!drag_.accepted || target_ == nullptr) {
        sendFinished(drag_.source, DropResult::Refused);
        leave();
        return;
    }
    const Time time = static_cast<Time>(message.data.l[2]);
    Display* display = window_.display();
    const X11Atoms& atoms = window_.atoms();
    phase_ = Phase::kAwaitSelection;
    sinceMs_ = tickCount();
    bytes_.clear();
    X11ErrorTrap trap(display);
    XDeleteProperty(display, window_.window(), atoms.transfer);
    XConvertSelection(display, atoms.xdndSelection, atoms.privateData, atoms.transfer,
                      window_.window(), time);
    XFlush(display);
}

bool X11DropReceiver::wantsEvent(const XEvent& event) const
{
    const Window window = window_.window();
    if (phase_ == Phase::kAwaitSelection && event.type == SelectionNotify)
        return event.xselection.requestor == window &&
               event.xselection.selection == window_.atoms().xdndSelection;
    if (phase_ == Phase::kReadingPieces && event.type == PropertyNotify)
        return event.xproperty.window == window &&
               event.xproperty.atom == window_.atoms().transfer &&
               event.xproperty.state == PropertyNewValue;
    return false;
}

void X11DropReceiver::handleEvent(const XEvent& event)
{
    if (!wantsEvent(event))
        return;
    if (event.type == SelectionNotify)
        selectionArrived(event.xselection);
    else
        pieceArrived();
}

void X11DropReceiver::selectionArrived(const XSelectionEvent& event)
{
    if (event.property == None) {
        fail("drop: the source gave no data\n");
        return;
    }
    Display* display = window_.display();
    const X11Atoms& atoms = window_.atoms();
    const Window window = window_.window();
    X11ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // First the type and length only.
    if (XGetWindowProperty(display, window, atoms.transfer, 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success) {
        fail("drop: the dragged data could not be read\n");
        return;
    }
    if (data != nullptr)
        XFree(data);
    if (type == atoms.incr) {
        // Property changes are watched only while the pieces come; deleting
        // the announcement asks for the first piece.
        watchPieces(true);
        XDeleteProperty(display, window, atoms.transfer);
        XFlush(display);
        phase_ = Phase::kReadingPieces;
        return;
    }
    if (type != atoms.privateData || format != 8 || after > kMaxDropBytes) {
        XDeleteProperty(display, window, atoms.transfer);
        fail("drop: the dragged data is not of our type or too long\n");
        return;
    }
    const unsigned long length = after;
    data = nullptr;
    if (XGetWindowProperty(display, window, atoms.transfer, 0, long((length + 3) / 4), True,
                           atoms.privateData, &type, &format, &count, &after, &data) != Success) {
        fail("drop: the dragged data could not be read\n");
        return;
    }
    const bool whole = data != nullptr && format == 8 && after == 0 && count == length;
    if (whole)
        bytes_.assign(data, data + count);
    if (data != nullptr)
        XFree(data);
    if (!whole || trap.failed()) {
        fail("drop: the dragged data could not be read\n");
        return;
    }
    deliver();
}

void X11DropReceiver::pieceArrived()
{
    Display* display = window_.display();
    X11ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window_.window(), window_.atoms().transfer, 0, kWholeProperty,
                           True, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success) {
        fail("drop: a piece of the dragged data could not be read\n");
        return;
    }
    bool failed = false, done = false;
    if (format != 8 || after != 0 || bytes_.size() + count > kMaxDropBytes)
        failed = true;
    else if (count == 0)
        done = true;
    else
        bytes_.insert(bytes_.end(), data, data + count);
    if (data != nullptr)
        XFree(data);
    if (failed) {
        XDeleteProperty(display, window_.window(), window_.atoms().transfer);
        fail("drop: the dragged data came in bad pieces or too long\n");
        return;
    }
    if (done) {
        watchPieces(false);
        deliver();
    }
}

void X11DropReceiver::watchPieces(bool on)
{
    if (on == watchingPieces_ || !usable())
        return;
    Display* display = window_.display();
    X11ErrorTrap trap(display);
    if (on) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window_.window(), &attributes);
        savedEventMask_ = attributes.your_event_mask;
        XSelectInput(display, window_.window(), savedEventMask_ | PropertyChangeMask);
    } else {
        XSelectInput(display, window_.window(), savedEventMask_);
    }
    watchingPieces_ = on;
}

void X11DropReceiver::deliver()
{
    if (target_ == nullptr) {
        finish(DropResult::Refused);
        return;
    }
    const DropResult result =
        target_->drop(drag_.x, drag_.y, drag_.modifiers, bytes_.data(), bytes_.size());
    // The data is the editor's now (it kept what it needs).
    std::vector<uint8_t>().swap(bytes_);
    if (result == DropResult::Pending) {
        phase_ = Phase::kAwaitResult;
        sinceMs_ = tickCount();
        return;
    }
    finish(result);
}

void X11DropReceiver::tick(uint32_t nowMs)
{
    if (!busy())
        return;
    if (phase_ == Phase::kAwaitResult) {
        const DropResult result = target_ != nullptr ? target_->dropResult() : DropResult::Refused;
        if (result != DropResult::Pending) {
            finish(result);
            return;
        }
    }
    const uint32_t deadline = deadlineForTests_ != 0 ? deadlineForTests_ : kDeadlineMs;
    if (nowMs - sinceMs_ < deadline)
        return;
    if (phase_ == Phase::kAwaitResult) {
        debugOutput("drop: the editor did not decide in time; the source hears it was not taken\n");
        finish(DropResult::Refused);
        return;
    }
    if (usable()) {
        X11ErrorTrap trap(window_.display());
        XDeleteProperty(window_.display(), window_.window(), window_.atoms().transfer);
    }
    fail("drop: the source took too long to send the data; the drop is given up\n");
}

void X11DropReceiver::fail(const char* why)
{
    debugOutput(why);
    if (target_ != nullptr && drag_.accepted)
        target_->dragLeave();
    finish(DropResult::Refused);
}

void X11DropReceiver::finish(DropResult result)
{
    watchPieces(false);
    if (result == DropResult::Pending)
        result = DropResult::Refused;
    if (usable())
        sendFinished(drag_.source, result);
    phase_ = Phase::kIdle;
    std::vector<uint8_t>().swap(bytes_);
    drag_ = Drag{};
}

void X11DropReceiver::sendToSource(Window source, Atom type, long l1, long l2, long l4)
{
    if (source == 0 || !usable())
        return;
    Display* display = window_.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = source;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_.window());
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[4] = l4;
    X11ErrorTrap trap(display);
    XSendEvent(display, source, False, NoEventMask, &event);
    XFlush(display);
}

void X11DropReceiver::sendStatus(Window source, bool accept)
{
    const long copy = static_cast<long>(window_.atoms().xdndActionCopy);
    // An empty rectangle: every move is reported.
    sendToSource(source, window_.atoms().xdndStatus, (accept ? kAcceptBit : 0) | kSendPositionsBit,
                 0, accept ? copy : None);
}

void X11DropReceiver::sendFinished(Window source, DropResult result)
{
    const X11Atoms& atoms = window_.atoms();
    long action = None;
    if (result == DropResult::Copied)
        action = static_cast<long>(atoms.xdndActionCopy);
    else if (result == DropResult::Moved)
        action = static_cast<long>(atoms.xdndActionMove);
    sendToSource(source, atoms.xdndFinished, action != None ? kAcceptBit : 0, action, 0);
}

} // namespace platform::x11
