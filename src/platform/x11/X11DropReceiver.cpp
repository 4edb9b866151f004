#include "platform/x11/X11DropReceiver.h"

#include "platform/Trace.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11EventTranslator.h"
#include "platform/x11/X11Wait.h"
#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstring>

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

struct SelectionWait {
    Window window;
    Atom selection;
};

Bool isSelectionNotify(Display*, XEvent* event, XPointer arg)
{
    const auto* wait = reinterpret_cast<const SelectionWait*>(arg);
    return event->type == SelectionNotify && event->xselection.requestor == wait->window &&
           event->xselection.selection == wait->selection;
}

struct PropertyWait {
    Window window;
    Atom property;
};

Bool isNewProperty(Display*, XEvent* event, XPointer arg)
{
    const auto* wait = reinterpret_cast<const PropertyWait*>(arg);
    return event->type == PropertyNotify && event->xproperty.window == wait->window &&
           event->xproperty.atom == wait->property && event->xproperty.state == PropertyNewValue;
}

} // namespace

void X11DropReceiver::setTarget(DropTarget* target)
{
    if (target_ != nullptr && target != target_ && drag_.accepted)
        target_->dragLeave();
    target_ = target;
}

void X11DropReceiver::handleMessage(const XClientMessageEvent& message)
{
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

void X11DropReceiver::position(const XClientMessageEvent& message)
{
    if (static_cast<Window>(message.data.l[0]) != drag_.source || drag_.source == 0)
        return;
    Display* display = window_.display();
    const int rootX = static_cast<int>((message.data.l[2] >> kCoordinateShift) & kCoordinateMask);
    const int rootY = static_cast<int>(message.data.l[2] & kCoordinateMask);
    bool accept = false;
    {
        X11ErrorTrap trap(display);
        Window child = 0;
        int x = 0, y = 0;
        if (XTranslateCoordinates(display, DefaultRootWindow(display), window_.window(), rootX,
                                  rootY, &x, &y, &child)) {
            drag_.x = x;
            drag_.y = y;
        }
        Window root = 0, inner = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, window_.window(), &root, &inner, &rx, &ry, &wx, &wy, &mask))
            drag_.modifiers = modifiersOfState(mask);
    }
    if (drag_.offersOurType && target_ != nullptr)
        accept = target_->dragOver(drag_.x, drag_.y, drag_.modifiers);
    if (drag_.accepted && !accept && target_ != nullptr)
        target_->dragLeave();
    drag_.accepted = accept;
    sendStatus(accept);
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
    const Time time = static_cast<Time>(message.data.l[2]);
    if (!drag_.accepted || target_ == nullptr) {
        sendFinished(false);
        leave();
        return;
    }
    busy_ = true;
    std::vector<uint8_t> bytes;
    const bool fetched = fetch(time, &bytes);
    busy_ = false;
    if (fetched && target_ != nullptr) {
        target_->drop(drag_.x, drag_.y, drag_.modifiers, bytes.data(), bytes.size());
    } else {
        debugOutput("drop: the dragged data could not be read\n");
        if (target_ != nullptr)
            target_->dragLeave();
    }
    sendFinished(fetched);
    drag_ = Drag{};
}

bool X11DropReceiver::fetch(Time time, std::vector<uint8_t>* bytes)
{
    Display* display = window_.display();
    const X11Atoms& atoms = window_.atoms();
    const Window window = window_.window();
    {
        X11ErrorTrap trap(display);
        XDeleteProperty(display, window, atoms.transfer);
        XConvertSelection(display, atoms.xdndSelection, atoms.privateData, atoms.transfer, window,
                          time);
    }
    SelectionWait wait{window, atoms.xdndSelection};
    XEvent event;
    if (!waitForEvent(display, isSelectionNotify, reinterpret_cast<XPointer>(&wait), &event,
                      kStepTimeoutMs)) {
        debugOutput("drop: the source did not answer\n");
        return false;
    }
    if (event.xselection.property == None)
        return false;

    X11ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // First the type and length only.
    if (XGetWindowProperty(display, window, atoms.transfer, 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    if (data != nullptr)
        XFree(data);
    if (type == atoms.incr)
        return readIncremental(bytes);
    if (type != atoms.privateData || format != 8 || after > kMaxDropBytes) {
        XDeleteProperty(display, window, atoms.transfer);
        return false;
    }
    const unsigned long length = after;
    data = nullptr;
    if (XGetWindowProperty(display, window, atoms.transfer, 0, long((length + 3) / 4), True,
                           atoms.privateData, &type, &format, &count, &after, &data) != Success)
        return false;
    const bool whole = data != nullptr && format == 8 && after == 0 && count == length;
    if (whole)
        bytes->assign(data, data + count);
    if (data != nullptr)
        XFree(data);
    return whole && !trap.failed();
}

bool X11DropReceiver::readIncremental(std::vector<uint8_t>* bytes)
{
    Display* display = window_.display();
    const X11Atoms& atoms = window_.atoms();
    const Window window = window_.window();
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    // Property changes are watched only while the pieces come.
    XSelectInput(display, window, attributes.your_event_mask | PropertyChangeMask);
    // Deleting the announcement asks for the first piece.
    XDeleteProperty(display, window, atoms.transfer);
    XFlush(display);
    bool done = false, failed = false;
    PropertyWait wait{window, atoms.transfer};
    while (!done && !failed) {
        XEvent event;
        if (!waitForEvent(display, isNewProperty, reinterpret_cast<XPointer>(&wait), &event,
                          kStepTimeoutMs)) {
            debugOutput("drop: the source stopped sending\n");
            failed = true;
            break;
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, atoms.transfer, 0, kWholeProperty, True,
                               AnyPropertyType, &type, &format, &count, &after, &data) != Success) {
            failed = true;
            break;
        }
        if (format != 8 || after != 0 || bytes->size() + count > kMaxDropBytes) {
            failed = true;
        } else if (count == 0) {
            done = true;
        } else {
            bytes->insert(bytes->end(), data, data + count);
        }
        if (data != nullptr)
            XFree(data);
    }
    XSelectInput(display, window, attributes.your_event_mask);
    if (failed)
        XDeleteProperty(display, window, atoms.transfer);
    return done;
}

void X11DropReceiver::sendToSource(Atom type, long l1, long l2, long l4)
{
    Display* display = window_.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = drag_.source;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_.window());
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[4] = l4;
    X11ErrorTrap trap(display);
    XSendEvent(display, drag_.source, False, NoEventMask, &event);
}

void X11DropReceiver::sendStatus(bool accept)
{
    const long copy = static_cast<long>(window_.atoms().xdndActionCopy);
    // An empty rectangle: every move is reported.
    sendToSource(window_.atoms().xdndStatus, (accept ? kAcceptBit : 0) | kSendPositionsBit, 0,
                 accept ? copy : None);
}

void X11DropReceiver::sendFinished(bool accepted)
{
    const long copy = static_cast<long>(window_.atoms().xdndActionCopy);
    sendToSource(window_.atoms().xdndFinished, accepted ? kAcceptBit : 0, accepted ? copy : None,
                 0);
}

} // namespace platform::x11
