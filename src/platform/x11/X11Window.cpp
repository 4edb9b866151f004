#include "platform/x11/X11Window.h"

#include "platform/Clock.h"
#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11DragSender.h"
#include "platform/x11/X11DropReceiver.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11EventTranslator.h"
#include "platform/x11/X11PopupWindow.h"
#include "platform/x11/X11Surface.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <vector>

namespace platform::x11 {

namespace {

constexpr int kMaxSide = 16384;
constexpr int kConnectAttempts = 5;
constexpr int kConnectRetryMs = 20;
constexpr long kXdndVersion = 5;
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;

std::vector<X11Window*>& openWindows()
{
    static std::vector<X11Window*> windows;
    return windows;
}

Bool isLaterMotion(Display*, XEvent* event, XPointer arg)
{
    return event->type == MotionNotify &&
           event->xmotion.window == *reinterpret_cast<const Window*>(arg);
}

} // namespace

std::unique_ptr<X11Window> X11Window::open(uintptr_t parent, int width, int height,
                                           const X11WindowOptions& options)
{
    // A busy server may turn a connection away for a moment: try again.
    Display* display = XOpenDisplay(options.displayName);
    for (int attempt = 1; display == nullptr && attempt < kConnectAttempts; ++attempt) {
        ::poll(nullptr, 0, kConnectRetryMs);
        display = XOpenDisplay(options.displayName);
    }
    if (display == nullptr) {
        debugOutput("editor window: can't open the display\n");
        return nullptr;
    }
    // From here on a server that goes away only marks the connection lost.
    X11ConnectionWatch::watch(display);
    std::unique_ptr<X11Window> self(new X11Window());
    self->display_ = display;
    self->parent_ = static_cast<Window>(parent);
    self->width_ = std::clamp(width, 1, kMaxSide);
    self->height_ = std::clamp(height, 1, kMaxSide);
    if (!self->atoms_.intern(display)) {
        debugOutput("editor window: can't intern the atoms\n");
        return nullptr;
    }
    XWindowAttributes parentAttributes{};
    {
        X11ErrorTrap trap(display);
        const Status got = XGetWindowAttributes(display, self->parent_, &parentAttributes);
        if (!got || trap.failed()) {
            debugOutput("editor window: the parent is not a window\n");
            return nullptr;
        }
    }
    XSetWindowAttributes attributes{};
    attributes.colormap = parentAttributes.colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = kEventMask;
    {
        X11ErrorTrap trap(display);
        self->window_ =
            XCreateWindow(display, self->parent_, 0, 0, static_cast<unsigned>(self->width_),
                          static_cast<unsigned>(self->height_), 0, parentAttributes.depth,
                          InputOutput, parentAttributes.visual,
                          CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
        if (trap.failed()) {
            self->window_ = 0;
            debugOutput("editor window: can't create the window\n");
            return nullptr;
        }
        const long version = kXdndVersion;
        XChangeProperty(display, self->window_, self->atoms_.xdndAware, XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&version), 1);
        XMapWindow(display, self->window_);
    }
    self->openInputMethod();
    self->surface_ =
        std::make_unique<X11Surface>(display, self->window_, parentAttributes.visual,
                                     parentAttributes.depth, options.allowSharedMemory);
    self->surface_->resize(self->width_, self->height_);
    self->receiver_ = std::make_unique<X11DropReceiver>(*self);
    self->sender_ = std::make_unique<X11DragSender>(*self);
    openWindows().push_back(self.get());
    return self;
}

X11Window::~X11Window()
{
    close();
}

void X11Window::close()
{
    auto& windows = openWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (display_ == nullptr)
        return;
    closeInputMethod();
    {
        // The parent, and our window with it, may be gone already.
        X11ErrorTrap trap(display_);
        if (surface_)
            surface_->release();
        if (window_ != 0 && alive_)
            XDestroyWindow(display_, window_);
    }
    surface_.reset();
    receiver_.reset();
    sender_.reset();
    X11ConnectionWatch::close(display_);
    display_ = nullptr;
    window_ = 0;
}

void X11Window::openInputMethod()
{
    // The input method named by XMODIFIERS, unless the host chose already.
    const char* modifiers = XSetLocaleModifiers(nullptr);
    if (modifiers == nullptr || modifiers[0] == 0)
        XSetLocaleModifiers("");
    X11ErrorTrap trap(display_);
    inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    if (inputMethod_ == nullptr) {
        debugOutput("editor window: no input method; keys give Latin-1 text\n");
        return;
    }
    // The input method shows its composition in a window of its own.
    XIMStyles* styles = nullptr;
    XIMStyle style = 0;
    if (XGetIMValues(inputMethod_, XNQueryInputStyle, &styles, nullptr) == nullptr &&
        styles != nullptr) {
        for (unsigned short i = 0; i < styles->count_styles; ++i) {
            const XIMStyle offered = styles->supported_styles[i];
            if (offered == (XIMPreeditNothing | XIMStatusNothing)) {
                style = offered;
                break;
            }
            if (offered == (XIMPreeditNone | XIMStatusNone))
                style = offered;
        }
        XFree(styles);
    }
    if (style != 0)
        inputContext_ = XCreateIC(inputMethod_, XNInputStyle, style, XNClientWindow, window_,
                                  XNFocusWindow, window_, nullptr);
    if (inputContext_ == nullptr) {
        debugOutput("editor window: no input context; keys give Latin-1 text\n");
        XCloseIM(inputMethod_);
        inputMethod_ = nullptr;
        return;
    }
    long filtered = 0;
    XGetICValues(inputContext_, XNFilterEvents, &filtered, nullptr);
    XSelectInput(display_, window_, kEventMask | filtered);
}

void X11Window::closeInputMethod()
{
    // A lost connection keeps them: nothing may be asked of it any more.
    if (display_ == nullptr || X11ConnectionWatch::lost(display_))
        return;
    X11ErrorTrap trap(display_);
    if (inputContext_ != nullptr)
        XDestroyIC(inputContext_);
    if (inputMethod_ != nullptr)
        XCloseIM(inputMethod_);
    inputContext_ = nullptr;
    inputMethod_ = nullptr;
}

int X11Window::openWindowCount()
{
    return static_cast<int>(openWindows().size());
}

bool X11Window::resize(int width, int height)
{
    width = std::clamp(width, 1, kMaxSide);
    height = std::clamp(height, 1, kMaxSide);
    if (!alive_)
        return false;
    bool ok = false;
    {
        X11ErrorTrap trap(display_);
        XResizeWindow(display_, window_, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        ok = !trap.failed();
    }
    if (!ok) {
        debugOutput("editor window: can't resize the window\n");
        return false;
    }
    width_ = width;
    height_ = height;
    surface_->resize(width, height);
    return true;
}

Surface& X11Window::surface()
{
    return *surface_;
}

DragSource& X11Window::dragSource()
{
    return *sender_;
}

void X11Window::setDropTarget(DropTarget* target)
{
    receiver_->setTarget(target);
}

std::unique_ptr<PopupHost> X11Window::openPopupHost()
{
    return platform::x11::openPopupHost(*this);
}

void X11Window::takeFocus()
{
    if (!alive_)
        return;
    // Refused while the window is not viewable: the trap keeps that quiet.
    X11ErrorTrap trap(display_);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
}

void X11Window::leaveKeyToHost()
{
    if (currentKey_.type == 0 || !alive_)
        return;
    XEvent event = currentKey_;
    event.xkey.window = parent_;
    event.xkey.subwindow = None;
    X11ErrorTrap trap(display_);
    XSendEvent(display_, parent_, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask,
               &event);
}

bool X11Window::isTransferEvent(const XEvent& event) const
{
    switch (event.type) {
    case SelectionRequest:
        return event.xselectionrequest.owner == window_;
    case SelectionNotify:
        return receiver_ && receiver_->wantsEvent(event);
    case PropertyNotify:
        return (sender_ && sender_->wantsPropertyEvent(event.xproperty)) ||
               (receiver_ && receiver_->wantsEvent(event));
    case ClientMessage: {
        if (event.xclient.window != window_)
            return false;
        const Atom type = event.xclient.message_type;
        return type == atoms_.xdndEnter || type == atoms_.xdndPosition ||
               type == atoms_.xdndLeave || type == atoms_.xdndDrop ||
               // Answers to a drag of ours (the sender passes over late ones).
               type == atoms_.xdndStatus || type == atoms_.xdndFinished;
    }
    default:
        return false;
    }
}

void X11Window::handleTransferEvent(XEvent& event)
{
    if (event.type == SelectionRequest) {
        sender_->serveRequest(event.xselectionrequest);
    } else if (event.type == SelectionNotify) {
        receiver_->handleEvent(event);
    } else if (event.type == PropertyNotify) {
        if (sender_->wantsPropertyEvent(event.xproperty))
            sender_->handlePropertyEvent(event.xproperty);
        else
            receiver_->handleEvent(event);
    } else if (event.type == ClientMessage) {
        const Atom type = event.xclient.message_type;
        if (type == atoms_.xdndStatus || type == atoms_.xdndFinished)
            sender_->handleMessage(event.xclient);
        else
            receiver_->handleMessage(event.xclient);
    }
}

bool X11Window::connectionLost(WindowEventSink& sink)
{
    if (lostReported_)
        return true;
    if (X11ConnectionWatch::check(display_))
        return false;
    lostReported_ = true;
    alive_ = false;
    WindowEvent lost;
    lost.kind = WindowEventKind::Lost;
    sink.onWindowEvent(lost);
    return true;
}

void X11Window::pumpEvents(WindowEventSink& sink)
{
    if (display_ == nullptr || connectionLost(sink))
        return;
    while (X11ConnectionWatch::readPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (isTransferEvent(event)) {
            handleTransferEvent(event);
            continue;
        }
        // While a drag of ours is on, the pointer and the keys are its own.
        if (sender_->dragging() && sender_->handleEvent(event))
            continue;
        // The input method's own traffic, and keys it takes while composing.
        if (inputContext_ != nullptr && XFilterEvent(&event, None))
            continue;
        if (event.xany.window != window_) {
            if (side_ != nullptr)
                side_->takeEvent(event);
            continue;
        }
        if (event.type == MotionNotify) {
            // Only the latest position of a run of moves counts.
            XEvent next;
            while (XEventsQueued(display_, QueuedAfterReading) > 0 && XPeekEvent(display_, &next) &&
                   isLaterMotion(display_, &next, reinterpret_cast<XPointer>(&window_)))
                XNextEvent(display_, &event);
        }
        switch (event.type) {
        case Expose:
            surface_->refresh(PixelRect{event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                        event.xexpose.height});
            break;
        case ButtonPress:
            takeFocus();
            break;
        case FocusIn:
            if (inputContext_ != nullptr)
                XSetICFocus(inputContext_);
            break;
        case FocusOut:
            if (inputContext_ != nullptr)
                XUnsetICFocus(inputContext_);
            break;
        case ConfigureNotify:
            if (event.xconfigure.width == width_ && event.xconfigure.height == height_)
                continue;
            width_ = event.xconfigure.width;
            height_ = event.xconfigure.height;
            surface_->resize(width_, height_);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window != window_)
                continue;
            alive_ = false;
            break;
        default:
            break;
        }
        translateEvent(event, doubleClicks_, inputContext_, translated_);
        const bool key = event.type == KeyPress || event.type == KeyRelease;
        if (key)
            currentKey_ = event;
        // Copied: the sink may pump again (a nested dispatch) and refill it.
        const std::vector<WindowEvent> events = translated_;
        for (const WindowEvent& translated : events)
            sink.onWindowEvent(translated);
        if (key)
            currentKey_.type = 0;
        if (display_ == nullptr || !alive_)
            break;
    }
    if (display_ != nullptr && !connectionLost(sink)) {
        const uint32_t now = tickCount();
        sender_->tick(now);
        receiver_->tick(now);
    }
}

} // namespace platform::x11

namespace platform {

std::unique_ptr<EditorWindow> openX11EditorWindow(uintptr_t parent, int width, int height,
                                                  const X11WindowOptions& options)
{
    return x11::X11Window::open(parent, width, height, options);
}

} // namespace platform
