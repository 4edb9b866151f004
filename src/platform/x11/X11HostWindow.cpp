// A host's top-level window on X11.

#include "platform/x11/X11HostWindow.h"

#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

using x11::X11ConnectionWatch;
using x11::X11ErrorTrap;

constexpr int kLargestSide = 16384;
constexpr unsigned long kBackground = 0x303030;

int side(int value)
{
    return std::clamp(value, 1, kLargestSide);
}

// Where a colour channel sits in a pixel of the visual: shift and width.
struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel channelOf(unsigned long mask)
{
    Channel channel;
    if (mask == 0)
        return channel;
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++channel.shift;
    }
    while ((mask & 1u) != 0) {
        mask >>= 1;
        ++channel.bits;
    }
    return channel;
}

uint8_t channelValue(unsigned long pixel, const Channel& channel)
{
    if (channel.bits == 0)
        return 0;
    const unsigned long value = (pixel >> channel.shift) & ((1ul << channel.bits) - 1);
    return static_cast<uint8_t>(channel.bits >= 8 ? value >> (channel.bits - 8)
                                                  : value * 255 / ((1ul << channel.bits) - 1));
}

class X11HostWindow final : public HostWindow {
public:
    X11HostWindow(Display* display, Window window, int width, int height)
        : display_(display), window_(window), width_(width), height_(height)
    {
        deleteAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteAtom_, 1);
    }
    ~X11HostWindow() override
    {
        if (X11ConnectionWatch::check(display_)) {
            X11ErrorTrap trap(display_);
            XDestroyWindow(display_, window_);
        }
        X11ConnectionWatch::close(display_);
    }

    uintptr_t nativeHandle() const override { return window_; }
    int width() const override { return width_; }
    int height() const override { return height_; }

    bool resize(int width, int height) override
    {
        if (!X11ConnectionWatch::check(display_))
            return false;
        width_ = side(width);
        height_ = side(height);
        X11ErrorTrap trap(display_);
        XResizeWindow(display_, window_, static_cast<unsigned>(width_),
                      static_cast<unsigned>(height_));
        XSync(display_, False);
        return !trap.failed();
    }

    bool pump() override
    {
        while (X11ConnectionWatch::readPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_)
                open_ = false;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window_)
                open_ = false;
            if (event.type == ConfigureNotify && event.xconfigure.window == window_) {
                width_ = event.xconfigure.width;
                height_ = event.xconfigure.height;
            }
        }
        // A server that went away closed the window with it.
        if (X11ConnectionWatch::lost(display_))
            open_ = false;
        return open_;
    }

    void sync() override
    {
        if (X11ConnectionWatch::check(display_))
            XSync(display_, False);
    }

    bool capture(std::vector<uint8_t>& bgra, int& width, int& height) override
    {
        if (!X11ConnectionWatch::check(display_))
            return false;
        X11ErrorTrap trap(display_);
        XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_), AllPlanes, ZPixmap);
        XSync(display_, False);
        if (image == nullptr || trap.failed()) {
            if (image != nullptr)
                XDestroyImage(image);
            debugOutput("Host window: the pixels could not be read");
            return false;
        }
        const Channel red = channelOf(image->red_mask);
        const Channel green = channelOf(image->green_mask);
        const Channel blue = channelOf(image->blue_mask);
        width = image->width;
        height = image->height;
        bgra.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                uint8_t* to = bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
                to[0] = channelValue(pixel, blue);
                to[1] = channelValue(pixel, green);
                to[2] = channelValue(pixel, red);
                to[3] = 0xFF;
            }
        }
        XDestroyImage(image);
        return true;
    }

private:
    Display* display_;
    Window window_;
    Atom deleteAtom_ = 0;
    int width_;
    int height_;
    bool open_ = true;
};

} // namespace

std::unique_ptr<HostWindow> openX11HostWindow(const char* title, int width, int height,
                                              const char* displayName)
{
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        debugOutput("Host window: no display");
        return nullptr;
    }
    // A host must outlive its display server too.
    X11ConnectionWatch::watch(display);
    width = side(width);
    height = side(height);
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                            static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            BlackPixel(display, screen), kBackground);
    XStoreName(display, window, title != nullptr ? title : "");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    // Wait until it is shown, so that an editor embedded next is visible.
    for (;;) {
        XEvent event;
        XWindowEvent(display, window, StructureNotifyMask, &event);
        if (event.type == MapNotify)
            break;
    }
    return std::make_unique<X11HostWindow>(display, window, width, height);
}

} // namespace platform
